#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The simulator program (VDK_SIM, set by the test's build) serving a
// pseudo-terminal for the life of the object.
class SimProcess {
public:
    explicit SimProcess(const QStringList& args) {
        process_.start(QStringLiteral(VDK_SIM), args);
        if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(10000))
            return;
        const QString line = QString::fromUtf8(process_.readLine()).trimmed();
        if (line.startsWith(QLatin1String("PTY ")))
            pty_ = line.mid(4);
    }
    ~SimProcess() {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }
    const QString& Pty() const { return pty_; }

private:
    QProcess process_;
    QString pty_;
};
