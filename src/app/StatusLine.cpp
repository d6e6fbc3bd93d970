#include "app/StatusLine.h"

#include "comm/CommSettings.h"
#include "data/UPara.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"

namespace vdk {

QStringList StatusLine::Fields(const CommSettings& comms, const InverterIdentity& id,
                               CommIndicator::Image link, ParameterTable::Mode view,
                               const UPara& values, const LanguageTexts& texts) {
    const auto text = [&texts](const char* section, const QString& key, const char* def) {
        return texts.LangText(QLatin1String(section), key, QString::fromUtf8(def));
    };
    const auto item = [&](const char* section, const char* prefix, int index,
                          std::initializer_list<const char*> defaults) {
        return text(section, QLatin1String(prefix) + QString::number(index + 1),
                    defaults.begin()[index]);
    };
    QStringList fields(FieldCount);
    const QString port = comms.port.portName.isEmpty()
                             ? text("Main", QStringLiteral("Status1"), "No port")
                             : comms.port.portName;
    fields[Line] = port + QStringLiteral("  ") + QString::number(BaudRateOf(comms.port.baudIndex)) +
                   QStringLiteral(" bps  ") +
                   item("RS232C", "ParityItems", comms.port.parityIndex, {"Non", "Even", "Odd"});
    const QString number = comms.douhou
                               ? text("RS232C", QStringLiteral("Check12"), "Broadcast")
                               : text("RS232C", QStringLiteral("Label1"), "Inverter number") +
                                     QLatin1Char(' ') + QString::number(comms.id);
    fields[Address] =
        item("RS232C", "ProtocolItems", int(comms.protocol), {"KESTRAN Inverter", "MODBUS-RTU"}) +
        QStringLiteral(", ") + number;
    fields[Inverter] = id.Named();
    fields[Link] = item("Main", "Status", 1 + int(link), {"No port", "No link", "Linked", "Busy"});
    switch (view) {
    case ParameterTable::Mode::All:
        fields[View] = text("Main", QStringLiteral("Menu2d"), "All Parameters");
        break;
    case ParameterTable::Mode::Changed:
        fields[View] = text("Main", QStringLiteral("Menu29"), "'Changed' Only");
        break;
    case ParameterTable::Mode::Quick:
        fields[View] = text("Main", QStringLiteral("Menu2k"), "Quick");
        break;
    case ParameterTable::Mode::Blind:
        fields[View] = text("Main", QStringLiteral("Menu2c"), "Blind");
        break;
    }
    fields[Changed] = text("Main", QStringLiteral("Status5"), "Changed: %1")
                          .arg(values.CountMarked(UPara::ChangeIndex));
    fields[Unwritten] = text("Main", QStringLiteral("Status6"), "Not written: %1")
                            .arg(values.CountMarked(UPara::WriteIndex));
    return fields;
}

} // namespace vdk
