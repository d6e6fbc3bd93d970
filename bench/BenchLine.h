#pragma once

// What the line benchmarks share: the simulator process on a pseudo-terminal,
// CPU time, the largest shipped definition and the wire time of an exchange.
#include "comm/FrameCodec.h"
#include "comm/SerialPort.h"
#include "data/Catalogue.h"
#include "data/DefinitionLoader.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <sys/resource.h>

namespace vdk {

// Copies a folder tree (the program's data, say) to `to`.
inline void CopyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& entry :
         QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isDir())
            CopyFolder(entry.filePath(), target);
        else
            QFile::copy(entry.filePath(), target);
    }
}

// CPU seconds of this process, or of its ended children.
inline double CpuSeconds(int who = RUSAGE_SELF) {
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// vdk330q-sim serving a pseudo-terminal for the life of the object.
class Simulator {
public:
    Simulator(const QString& program, const QStringList& args) {
        process_.start(program, args);
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(10000)) {
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line.startsWith(QLatin1String("PTY ")))
                pty_ = line.mid(4);
        }
    }
    ~Simulator() { Finish(); }
    const QString& Pty() const { return pty_; }
    // Ends the simulator and returns what it printed after its first line.
    QString Finish() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(5000);
        }
        return QString::fromUtf8(process_.readAllStandardOutput());
    }

private:
    QProcess process_;
    QString pty_;
};

// One shipped selection's definitions, as the program loads them.
struct ShippedSelection {
    ShippedSelection(const QString& appDir, const QString& type, const QString& cpu,
                     const QString& capacity)
        : paths(appDir, QString()) {
        paths.SelectLanguage(QStringLiteral("English"));
        paths.SelectInverter(type, cpu, capacity);
        SilentDialogs dialogs;
        LanguageTexts texts;
        Messenger messenger(texts, dialogs);
        DefinitionLoader loader(paths, messenger);
        loaded = loader.LoadDefinitions(table) && loader.LoadCapacityDefaults(table);
    }
    AppPaths paths;
    ParaDat table;
    bool loaded = false;
};

// The shipped inverter with the most parameters (its first capacity).
struct LargestDefinition {
    explicit LargestDefinition(const QString& appDir) : paths(appDir, QString()) {
        paths.SelectLanguage(QStringLiteral("English"));
        SilentDialogs dialogs;
        LanguageTexts texts;
        Messenger messenger(texts, dialogs);
        const Catalogue catalogue(paths);
        for (const QString& t : catalogue.TypeForms())
            for (const QString& c : catalogue.CpuVersions(t)) {
                const QString k = catalogue.Capacities(t, c).value(0);
                paths.SelectInverter(t, c, k);
                ParaDat candidate;
                DefinitionLoader loader(paths, messenger);
                if (loader.LoadDefinitions(candidate) && loader.LoadCapacityDefaults(candidate) &&
                    candidate.Count() > table.Count()) {
                    table = candidate;
                    type = t;
                    cpu = c;
                    capacity = k;
                }
            }
        paths.SelectInverter(type, cpu, capacity);
    }
    AppPaths paths;
    ParaDat table;
    QString type, cpu, capacity;
};

// The master's turnaround as vdk330q-sim --turnaround reports it at its end:
// from each reply's last byte to the next request, in microseconds.
struct Turnaround {
    int count = 0;
    double medianUs = 0, p90Us = 0, maxUs = 0;
    static Turnaround From(const QString& report) {
        Turnaround t;
        for (const QString& line : report.split(QLatin1Char('\n')))
            if (line.startsWith(QLatin1String("TURNAROUND ")))
                for (const QString& field : line.mid(11).split(QLatin1Char(' '))) {
                    const QString key = field.section(QLatin1Char('='), 0, 0);
                    const double value = field.section(QLatin1Char('='), 1).toDouble();
                    if (key == QLatin1String("count"))
                        t.count = int(value);
                    else if (key == QLatin1String("median_us"))
                        t.medianUs = value;
                    else if (key == QLatin1String("p90_us"))
                        t.p90Us = value;
                    else if (key == QLatin1String("max_us"))
                        t.maxUs = value;
                }
        return t;
    }
};

// The read of parameter `row`, as the link sends it without an inverter number.
inline Request ReadOf(const ParaDat& table, int row) {
    return Request{table.At(row, ComNo), table.At(row, Byte) == u"4", 'R', {}, {}};
}

// The least time one exchange takes on the line: request and reply characters
// of 11 bits (8 data bits, parity, start and stop bit), and the MODBUS silent
// interval.
inline double WireMilliseconds(Protocol protocol, const Request& request, int baudIndex) {
    const bool modbus = protocol == Protocol::Modbus;
    const qsizetype chars =
        modbus ? EncodeModbusRequest(request).size() + ModbusReplyLength(request)
               : EncodeInverterRequest(request).size() + InverterReplyLength(request);
    return double(chars) * 11.0 * 1000.0 / BaudRateOf(baudIndex) +
           (modbus ? double(SilentIntervalUs(baudIndex)) / 1000 : 0);
}

} // namespace vdk
