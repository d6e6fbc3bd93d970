#include "comm/CommSettings.h"

#include "settings/IniFile.h"

#include <cmath>

namespace vdk {

namespace {
const QString kComms = QStringLiteral("Comms");

// A list index from the settings; one outside the list takes the default.
int ReadIndex(const IniFile& ini, const char* key, int def, int count) {
    const int value = ini.ReadInteger(kComms, QLatin1String(key), def);
    return value >= 0 && value < count ? value : def;
}
} // namespace

Addressing CommSettings::Address() const {
    if (douhou)
        return {Addressing::Broadcast, 0};
    if (appendNo)
        return {Addressing::Number, id};
    return {};
}

CommSettings LoadCommSettings(const IniFile& ini) {
    CommSettings c;
    c.protocol = ReadIndex(ini, "Prtocol", 0, 2) == 1 ? Protocol::Modbus : Protocol::Inverter;
    c.port.portIndex = std::max(0, ini.ReadInteger(kComms, QStringLiteral("Commport"), 0));
    c.port.portName = ini.ReadString(kComms, QStringLiteral("CommportName"), QString());
    c.port.baudIndex = ReadIndex(ini, "Baudrate", 3, 6);
    c.port.parityIndex = ReadIndex(ini, "Parity", 1, 3);
    c.port.stopBitsIndex = ReadIndex(ini, "Stopbits", 0, 3);
    c.port.byteSizeIndex = ReadIndex(ini, "Bytesize", 1, 2);
    c.id = ini.ReadIntegerClamped(kComms, QStringLiteral("ID"), 0, 0, CommSettings::kMaxId);
    c.douhou = ini.ReadBool(kComms, QStringLiteral("Douhou"), false);
    c.appendNo = !c.douhou && ini.ReadBool(kComms, QStringLiteral("AppendNo"), false);
    c.delay = ini.ReadIntegerClamped(kComms, QStringLiteral("Delay"), 200, CommSettings::kMinDelay,
                                     CommSettings::kMaxDelay);
    return c;
}

bool SaveCommSettings(IniFile& ini, const CommSettings& c) {
    const std::pair<const char*, int> values[] = {{"Prtocol", int(c.protocol)},
                                                  {"Commport", c.port.portIndex},
                                                  {"Baudrate", c.port.baudIndex},
                                                  {"Parity", c.port.parityIndex},
                                                  {"Stopbits", c.port.stopBitsIndex},
                                                  {"Bytesize", c.port.byteSizeIndex},
                                                  {"ID", c.id},
                                                  {"AppendNo", c.appendNo ? 1 : 0},
                                                  {"Douhou", c.douhou ? 1 : 0},
                                                  {"Delay", c.delay}};
    for (const auto& [key, value] : values)
        if (!ini.WriteInteger(kComms, QLatin1String(key), value))
            return false;
    return ini.WriteString(kComms, QStringLiteral("CommportName"), c.port.portName);
}

FieldCheck CheckNumberField(const QString& text, int low, int high) {
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return {FieldCheck::NotANumber, 0};
    const double truncated = std::trunc(number);
    if (truncated < low)
        return {FieldCheck::OutOfRange, low};
    if (truncated > high)
        return {FieldCheck::OutOfRange, high};
    return {FieldCheck::Ok, int(truncated)};
}

std::optional<int> CheckListField(const QString& text, const QStringList& items) {
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return std::nullopt;
    for (int i = 0; i < items.size(); ++i)
        if (items[i].trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    return std::nullopt;
}

} // namespace vdk
