#pragma once

#include "sim/DriveModel.h"
#include "sim/SimOptions.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace vdk {

class ParaDat;

// A simulated inverter built from the definition table of the selected
// inverter (capacity defaults loaded). Every defined parameter starts at its
// resolved default and is kept as a 32-bit value, once in RAM and once in
// EEPROM. It answers requests of the protocol its options name, with the
// addressing, maintenance gate and drive behaviour of a real inverter.
class InverterSim {
public:
    // `freqCommNo` is the catalogue's frequency command number; anything but
    // a defined four-digit number leaves the command to the key pad alone.
    InverterSim(const ParaDat& table, const SimOptions& options,
                const QString& freqCommNo = QString());

    const SimOptions& Options() const { return options_; }

    // Handles one request frame at time `now` (milliseconds) and returns the
    // reply, or nothing when the inverter stays silent: a damaged frame,
    // another inverter's number, a MODBUS broadcast, an unknown or closed
    // number in the inverter protocol.
    QByteArray Handle(QByteArrayView frame, qint64 now);
    // Advances the drive to `now`; the monitor items and the panel follow.
    void Tick(qint64 now);

    std::optional<qint32> RamValue(QStringView comNo) const;
    std::optional<qint32> EepromValue(QStringView comNo) const;
    bool MaintenanceOpen() const { return maintenanceOpen_; }
    const DriveModel& Drive() const { return drive_; }

    // Alarm bits as the alarm status (FC91) shows them.
    void RaiseAlarm(quint16 bits);
    void ClearAlarm(quint16 bits);
    // Stops the drive with a trip code (FC90), pushed into the trip history.
    void Trip(int code);
    // Power off and on: RAM takes the EEPROM values, the drive stands still,
    // the maintenance parameters are closed again.
    void PowerCycle();

    // The EEPROM values as "ComNo=value" lines. Loading sets RAM and EEPROM
    // and skips lines that name no stored parameter.
    bool SaveState(const QString& path, QString& error) const;
    bool LoadState(const QString& path, QString& error);

private:
    struct Parameter {
        QString comNo;
        bool wide = false;        // 4 bytes in the inverter protocol
        bool isSigned = false;    // its low limit is negative
        bool ramOnly = false;     // never stored in EEPROM
        bool maintenance = false; // needs the maintenance access first
        double mul = 1;
        qint32 ram = 0;
        qint32 eeprom = 0;
    };

    static qint32 Fit(const Parameter& p, qint32 value);
    Parameter* Find(quint16 number);
    const Parameter* Find(quint16 number) const;
    bool Reachable(const Parameter& p) const { return !p.maintenance || maintenanceOpen_; }
    void Store(quint16 number, Parameter& p, qint32 value, bool eeprom);
    QByteArray HandleInverter(QByteArrayView frame);
    QByteArray HandleModbus(QByteArrayView frame);
    void KeyWord(qint32 word);
    void StepCommand(double hz);
    void ResetTrip();
    // The operation time counts the hours the drive turns.
    void CountOperation(qint64 ms);
    double Scaled(quint16 number, double fallback) const;
    void SetScaled(quint16 number, double value);
    void SetRaw(quint16 number, qint32 value);
    DriveModel::Ramp Ramp() const;
    void RefreshOutputs();

    SimOptions options_;
    std::vector<Parameter> parameters_;
    QHash<quint16, int> index_;
    std::optional<quint16> freqComm_;
    quint16 monitorBase_;
    DriveModel drive_;
    quint16 alarms_ = 0;
    bool maintenanceOpen_ = false;
    std::optional<qint64> lastTick_;
    std::optional<qint64> firstTick_;
    bool alarmDone_ = false, tripDone_ = false; // the timed events of the options
    qint64 operationMs_ = 0;                    // run time not yet a whole hour
};

} // namespace vdk
