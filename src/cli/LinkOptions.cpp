#include "cli/LinkOptions.h"

#include "comm/LineLog.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace vdk {

namespace {
const QStringList kParities{QStringLiteral("none"), QStringLiteral("even"), QStringLiteral("odd")};
const QStringList kProtocols{QStringLiteral("inverter"), QStringLiteral("modbus")};
} // namespace

QList<QCommandLineOption> LinkOptionList() {
    QCommandLineOption noLog(QStringLiteral("no-line-log"), QString());
    noLog.setFlags(QCommandLineOption::HiddenFromHelp);
    return {{QStringLiteral("port"), QString(), QStringLiteral("PATH")},
            {QStringLiteral("baud"), QString(), QStringLiteral("N")},
            {QStringLiteral("parity"), QString(), QStringLiteral("P")},
            {QStringLiteral("protocol"), QString(), QStringLiteral("P")},
            {QStringLiteral("id"), QString(), QStringLiteral("N")},
            {QStringLiteral("broadcast"), QString()},
            {QStringLiteral("timeout"), QString(), QStringLiteral("MS")},
            {QStringLiteral("trace"), QString()},
            noLog};
}

void ApplyLogOptions(const QCommandLineParser& parser, LineLog& log, QTextStream& err) {
    log.SetRecording(!parser.isSet(QStringLiteral("no-line-log")));
    if (parser.isSet(QStringLiteral("trace")))
        log.OnRecorded([&err](const LineRecord& r) { err << LineLog::Text(r) << Qt::endl; });
}

std::optional<CommSettings> LinkSettingsFrom(const QCommandLineParser& parser, CommSettings c,
                                             QString& error) {
    const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };
    const auto bad = [&](const QString& text) {
        error = text;
        return std::nullopt;
    };
    if (parser.isSet(QStringLiteral("port"))) {
        // An empty name (an unset variable in a script) must not reach the
        // port layer, which would take the system's first device for it.
        if (value("port").trimmed().isEmpty())
            return bad(QStringLiteral("--port needs a device path, for example /dev/ttyUSB0"));
        c.port.portName = value("port");
        c.port.portIndex = PortSettings::kNameOnly;
    }
    if (parser.isSet(QStringLiteral("baud"))) {
        int index = -1;
        for (int i = 0; i < 6; ++i)
            if (QString::number(BaudRateOf(i)) == value("baud"))
                index = i;
        if (index < 0)
            return bad(QStringLiteral("--baud takes 1200, 2400, 4800, 9600, 19200 or 38400"));
        c.port.baudIndex = index;
    }
    if (parser.isSet(QStringLiteral("parity"))) {
        const int index = int(kParities.indexOf(value("parity").toLower()));
        if (index < 0)
            return bad(QStringLiteral("--parity takes none, even or odd"));
        c.port.parityIndex = index;
    }
    if (parser.isSet(QStringLiteral("protocol"))) {
        const int index = int(kProtocols.indexOf(value("protocol").toLower()));
        if (index < 0)
            return bad(QStringLiteral("--protocol takes inverter or modbus"));
        c.protocol = Protocol(index);
    }
    if (parser.isSet(QStringLiteral("id")) && parser.isSet(QStringLiteral("broadcast")))
        return bad(QStringLiteral("--id and --broadcast exclude each other"));
    if (parser.isSet(QStringLiteral("id"))) {
        const FieldCheck id = CheckNumberField(value("id"), 0, CommSettings::kMaxId);
        if (id.result != FieldCheck::Ok || value("id").contains(QLatin1Char('.')))
            return bad(QStringLiteral("--id takes a whole number from 0 to 63"));
        c.id = id.value;
        c.appendNo = true;
        c.douhou = false;
    }
    if (parser.isSet(QStringLiteral("broadcast"))) {
        c.douhou = true;
        c.appendNo = false;
    }
    if (parser.isSet(QStringLiteral("timeout"))) {
        const FieldCheck t =
            CheckNumberField(value("timeout"), CommSettings::kMinDelay, CommSettings::kMaxDelay);
        if (t.result != FieldCheck::Ok)
            return bad(QStringLiteral("--timeout takes milliseconds from 30 to 5000"));
        c.delay = t.value;
    }
    return c;
}

} // namespace vdk
