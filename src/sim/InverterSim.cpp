#include "sim/InverterSim.h"

#include "data/ParaDat.h"
#include "settings/FileWriter.h"
#include "sim/RequestParser.h"

#include <QFile>
#include <algorithm>
#include <cmath>

namespace vdk {

namespace {

// Communication numbers with a meaning of their own to the inverter.
constexpr quint16 kMaxFrequency = 0x0002;
constexpr quint16 kBaseFrequency = 0x0003;
constexpr quint16 kAccelTime = 0x0007;
constexpr quint16 kDecelTime = 0x0008;
constexpr quint16 kMotorRatedSpeed = 0x0112;
constexpr quint16 kKeyMode = 0xFA10;
constexpr quint16 kKeyWord = 0xFA11;
constexpr quint16 kAccess = 0xFB91;
constexpr quint16 kPanel = 0xFC10; // five registers, the 10-byte panel block
constexpr quint16 kTripCode = 0xFC90;
constexpr quint16 kAlarmStatus = 0xFC91;
constexpr quint16 kTripHistory = 0xFE10; // four entries, the latest first
constexpr int kTripHistorySize = 4;
constexpr quint16 kOperationHours = 0xFE14; // cumulative, kept in EEPROM
constexpr qint64 kHourMs = 3600 * 1000;
// The monitor block starts at FD00; types without it keep it at F000.
constexpr quint16 kMonitorBlock = 0xFD00;
constexpr quint16 kMonitorBlockLow = 0xF000;

constexpr qint32 kAccessCode = 463;

constexpr int kRunKey = 0x01;
constexpr int kStopKey = 0x02;
constexpr int kUpKey = 0x04;
constexpr int kDownKey = 0x08;
constexpr int kMonKey = 0x10;
constexpr qint32 kUpRelease = 0x0104;
constexpr qint32 kDownRelease = 0x0108;
constexpr double kKeyStepHz = 0.1;

constexpr quint8 kModbusDefaultAddress = 0xFB;
constexpr quint8 kModbusBroadcast = 0x00;
constexpr quint8 kInverterBroadcast = 0xFF;
constexpr quint8 kIllegalFunction = 0x01;
constexpr quint8 kIllegalAddress = 0x02;
constexpr quint8 kIllegalValue = 0x03;
constexpr int kMostRegisters = 125;

// Fallbacks for definitions without the drive's own parameters.
constexpr double kDefaultMaxHz = 60;
constexpr double kDefaultRampSeconds = 10;
constexpr double kDefaultRatedSpeed = 1800;

std::optional<quint16> ParseNumber(QStringView comNo) {
    if (comNo.size() != 4)
        return std::nullopt;
    quint16 number = 0;
    for (QChar c : comNo) {
        const int digit = QStringView(u"0123456789ABCDEF").indexOf(c.toUpper());
        if (digit < 0)
            return std::nullopt;
        number = quint16(number << 4 | digit);
    }
    return number;
}

quint16 Word(QByteArrayView b, qsizetype at) {
    return quint16(quint8(b[at]) << 8 | quint8(b[at + 1]));
}

void AppendWord(QByteArray& b, quint16 word) {
    b.append(char(word >> 8));
    b.append(char(word & 0xFF));
}

void AppendCrc(QByteArray& b) {
    const quint16 crc = Crc16(b.constData(), b.size());
    b.append(char(crc & 0xFF));
    b.append(char(crc >> 8));
}

} // namespace

InverterSim::InverterSim(const ParaDat& table, const SimOptions& options, const QString& freqCommNo)
    : options_(options) {
    for (int row = 0; row < table.Count(); ++row) {
        const QString& comNo = table.At(row, ComNo);
        const auto number = ParseNumber(comNo);
        if (!number || index_.contains(*number))
            continue; // the first of two equal numbers is the one that answers
        Parameter p;
        p.comNo = comNo.toUpper();
        p.wide = table.At(row, Byte) == QLatin1String("4");
        const QString& low = table.At(row, Low);
        const QString lowValue = table.At(row, LIndex) == QLatin1String("1")
                                     ? table.ResolveDefault(low).value_or(QString())
                                     : low;
        p.isSigned = ValueFromText(lowValue) < 0;
        p.ramOnly = table.At(row, Memory).compare(QLatin1String("RAM"), Qt::CaseInsensitive) == 0;
        // Beyond the normal parameters only the stored settings are locked;
        // commands, status and monitor items answer any master.
        p.maintenance =
            row > table.NormalLastRow() && table.At(row, Flag) != QLatin1String("1") && !p.ramOnly;
        bool ok = false;
        const double mul = table.At(row, Mul).toDouble(&ok);
        p.mul = ok && mul != 0 ? mul : 1;
        p.ram = p.eeprom =
            Fit(p, qint32(ValueFromText(table.ResolveDefault(comNo).value_or(QString()))));
        index_.insert(*number, int(parameters_.size()));
        parameters_.push_back(p);
    }
    if (const auto number = ParseNumber(freqCommNo); number && Find(*number))
        freqComm_ = number;
    monitorBase_ = Find(kMonitorBlock) ? kMonitorBlock : kMonitorBlockLow;
    PowerCycle();
    if (options_.runHz >= 0) {
        if (freqComm_)
            SetScaled(*freqComm_, options_.runHz);
        drive_.SetCommand(options_.runHz);
        drive_.Run();
    }
}

InverterSim::Parameter* InverterSim::Find(quint16 number) {
    const auto it = index_.constFind(number);
    return it == index_.constEnd() ? nullptr : &parameters_[*it];
}

const InverterSim::Parameter* InverterSim::Find(quint16 number) const {
    const auto it = index_.constFind(number);
    return it == index_.constEnd() ? nullptr : &parameters_[*it];
}

std::optional<qint32> InverterSim::RamValue(QStringView comNo) const {
    const auto number = ParseNumber(comNo);
    const Parameter* p = number ? Find(*number) : nullptr;
    return p ? std::optional(p->ram) : std::nullopt;
}

std::optional<qint32> InverterSim::EepromValue(QStringView comNo) const {
    const auto number = ParseNumber(comNo);
    const Parameter* p = number ? Find(*number) : nullptr;
    return p ? std::optional(p->eeprom) : std::nullopt;
}

qint32 InverterSim::Fit(const Parameter& p, qint32 value) {
    // A 2-byte parameter keeps 16 bits, signed or not as its low limit says.
    return p.wide ? value : (p.isSigned ? qint32(qint16(value)) : qint32(quint16(value)));
}

void InverterSim::Store(quint16 number, Parameter& p, qint32 value, bool eeprom) {
    p.ram = Fit(p, value);
    if (eeprom && !p.ramOnly)
        p.eeprom = p.ram;
    if (number == kAccess)
        maintenanceOpen_ = p.ram == kAccessCode;
    else if (number == kKeyWord) {
        const Parameter* mode = Find(kKeyMode);
        if (mode && mode->ram == 1)
            KeyWord(p.ram);
    } else if (freqComm_ && number == *freqComm_)
        drive_.SetCommand(p.ram / p.mul);
}

void InverterSim::KeyWord(qint32 word) {
    // The high byte carries the master's poll cycle; the release words of UP
    // and DOWN only end a key press.
    if (word == kUpRelease || word == kDownRelease)
        return;
    switch (word & 0xFF) {
    case kRunKey:
        drive_.Run();
        break;
    case kStopKey:
        if (drive_.Tripped())
            ResetTrip();
        else
            drive_.Stop();
        break;
    case kUpKey:
        StepCommand(kKeyStepHz);
        break;
    case kDownKey:
        StepCommand(-kKeyStepHz);
        break;
    case kMonKey:
        drive_.NextDisplay();
        break;
    default:
        break;
    }
}

void InverterSim::StepCommand(double hz) {
    drive_.SetCommand(std::clamp(drive_.Command() + hz, 0.0, Ramp().maxHz));
    if (freqComm_)
        SetScaled(*freqComm_, drive_.Command());
}

void InverterSim::ResetTrip() {
    drive_.ResetTrip();
    RefreshOutputs();
}

QByteArray InverterSim::Handle(QByteArrayView frame, qint64 now) {
    if (!RequestParser::IsFrame(options_.protocol, frame))
        return {};
    Tick(now);
    QByteArray reply =
        options_.protocol == Protocol::Modbus ? HandleModbus(frame) : HandleInverter(frame);
    RefreshOutputs();
    return reply;
}

QByteArray InverterSim::HandleInverter(QByteArrayView f) {
    qsizetype i = 1;
    if (f[i] != 'L' && !RequestParser::IsCommand(f[i])) {
        const quint8 address = quint8(f[i++]);
        if (address != options_.id && address != kInverterBroadcast)
            return {};
    }
    const bool wide = f[i] == 'L';
    if (wide)
        ++i;
    const char command = f[i++];
    const quint16 number = Word(f, i);
    i += 2;
    Parameter* p = Find(number);
    if (!p || !Reachable(*p))
        return {};
    // The reply repeats the request's layout up to the number, then the data.
    QByteArray reply = f.first(i).toByteArray();
    if (command == 'R' && number == kPanel) {
        reply += drive_.PanelBlock();
    } else {
        if (command != 'R') {
            const quint32 bits =
                wide ? quint32(Word(f, i)) << 16 | Word(f, i + 2) : quint32(Word(f, i));
            const qint32 value =
                wide ? qint32(bits) : (p->isSigned ? qint32(qint16(bits)) : qint32(bits));
            Store(number, *p, value, command == 'W');
        }
        if (wide)
            AppendWord(reply, quint16(quint32(p->ram) >> 16));
        AppendWord(reply, quint16(p->ram));
    }
    reply.append(char(ByteSum(reply.constData(), reply.size())));
    return reply;
}

QByteArray InverterSim::HandleModbus(QByteArrayView f) {
    const quint8 address = quint8(f[0]);
    if (address != options_.id && address != kModbusDefaultAddress && address != kModbusBroadcast)
        return {};
    const quint8 function = quint8(f[1]);
    QByteArray reply = f.first(2).toByteArray();
    const auto exception = [&](quint8 code) {
        reply[1] = char(function | 0x80);
        reply.append(char(code));
    };
    if (function == 0x03) {
        const int first = Word(f, 2);
        const int count = Word(f, 4);
        if (count < 1 || count > kMostRegisters) {
            exception(kIllegalValue);
        } else {
            QByteArray data;
            bool known = true;
            for (int r = first; r < first + count && known; ++r) {
                const Parameter* p = r <= 0xFFFF ? Find(quint16(r)) : nullptr;
                known = p && Reachable(*p);
                if (known)
                    AppendWord(data, quint16(p->ram));
            }
            if (known) {
                reply.append(char(data.size()));
                reply += data;
            } else {
                exception(kIllegalAddress);
            }
        }
    } else if (function == 0x06) {
        const quint16 number = Word(f, 2);
        Parameter* p = Find(number);
        if (!p || !Reachable(*p)) {
            exception(kIllegalAddress);
        } else {
            // One register per parameter: a 4-byte parameter takes the 16
            // bits sign-extended when it can be negative.
            const quint16 bits = Word(f, 4);
            Store(number, *p, p->isSigned ? qint32(qint16(bits)) : qint32(bits), true);
            reply = f.first(6).toByteArray(); // the echo of the request
        }
    } else {
        exception(kIllegalFunction);
    }
    if (address == kModbusBroadcast)
        return {}; // executed, never answered
    AppendCrc(reply);
    return reply;
}

void InverterSim::Tick(qint64 now) {
    if (lastTick_) {
        CountOperation(now - *lastTick_);
        drive_.Advance(now - *lastTick_, Ramp());
    }
    lastTick_ = now;
    if (!firstTick_)
        firstTick_ = now;
    const qint64 since = now - *firstTick_;
    if (!alarmDone_ && options_.alarmAfterMs >= 0 && since >= options_.alarmAfterMs) {
        alarmDone_ = true;
        RaiseAlarm(0x1);
    }
    if (!tripDone_ && options_.tripAfterMs >= 0 && since >= options_.tripAfterMs) {
        tripDone_ = true;
        Trip(1);
    }
    RefreshOutputs();
}

void InverterSim::CountOperation(qint64 ms) {
    if (!drive_.Running())
        return;
    operationMs_ += ms;
    for (; operationMs_ >= kHourMs; operationMs_ -= kHourMs)
        if (Parameter* hours = Find(kOperationHours))
            Store(kOperationHours, *hours, hours->ram + 1, true);
}

double InverterSim::Scaled(quint16 number, double fallback) const {
    const Parameter* p = Find(number);
    return p ? p->ram / p->mul : fallback;
}

void InverterSim::SetScaled(quint16 number, double value) {
    if (Parameter* p = Find(number))
        SetRaw(number, qint32(std::lround(value * p->mul)));
}

void InverterSim::SetRaw(quint16 number, qint32 value) {
    if (Parameter* p = Find(number))
        p->ram = Fit(*p, value);
}

DriveModel::Ramp InverterSim::Ramp() const {
    const double maxHz = Scaled(kMaxFrequency, kDefaultMaxHz);
    return {maxHz > 0 ? maxHz : kDefaultMaxHz, Scaled(kAccelTime, kDefaultRampSeconds),
            Scaled(kDecelTime, kDefaultRampSeconds)};
}

void InverterSim::RefreshOutputs() {
    const double maxHz = Ramp().maxHz;
    const double baseHz = std::max(Scaled(kBaseFrequency, maxHz), 1.0);
    const double f = drive_.Output();
    // Magnetising current at standstill, load current growing with speed,
    // and a surge while the motor accelerates; in percent of rated.
    const double load = drive_.Running() ? 30 + 50 * f / maxHz : 0;
    const double current = load + (drive_.Accelerating() ? 20 : 0);
    const int status =
        (drive_.Running() ? 0x01 : 0) | (drive_.Tripped() ? 0x04 : 0) | (alarms_ != 0 ? 0x08 : 0);
    const struct {
        int offset;
        double value;
    } items[] = {
        {0x0, f},
        {0x2, drive_.Command()},
        {0x3, current},
        {0x4, 100}, // DC voltage
        {0x5, 100 * std::min(f / baseHz, 1.0)},
        {0x8, load},
        {0x9, Scaled(kMotorRatedSpeed, kDefaultRatedSpeed) * f / baseHz},
        {0xA, current},
        {0xB, current},
        {0xC, 30 + load / 5}, // heatsink temperature
    };
    for (const auto& item : items)
        SetScaled(quint16(monitorBase_ + item.offset), item.value);
    SetRaw(quint16(monitorBase_ + 1), status);
    // Input terminals: F while running forward, S1 blinking once a second
    // while the drive turns; output relay RY while running.
    const bool blink = drive_.Running() && lastTick_ && (*lastTick_ / 1000) % 2 == 0;
    SetRaw(quint16(monitorBase_ + 6), (drive_.Running() ? 0x01 : 0) | (blink ? 0x08 : 0));
    SetRaw(quint16(monitorBase_ + 7), drive_.Running() ? 0x01 : 0);

    const QByteArray block = drive_.PanelBlock();
    for (int k = 0; k < block.size() / 2; ++k)
        SetRaw(quint16(kPanel + k), qint32(Word(block, 2 * k)));
    SetRaw(kTripCode, drive_.TripCode());
    SetRaw(kAlarmStatus, alarms_);
}

void InverterSim::RaiseAlarm(quint16 bits) {
    alarms_ |= bits;
    RefreshOutputs();
}

void InverterSim::ClearAlarm(quint16 bits) {
    alarms_ &= quint16(~bits);
    RefreshOutputs();
}

void InverterSim::Trip(int code) {
    drive_.Trip(code);
    // The history survives a power cycle, as the inverter keeps it in EEPROM.
    for (int k = kTripHistorySize - 1; k >= 0; --k) {
        const quint16 number = quint16(kTripHistory + k);
        const Parameter* newer = k > 0 ? Find(quint16(number - 1)) : nullptr;
        if (Parameter* entry = Find(number))
            Store(number, *entry, k == 0 ? code : (newer ? newer->ram : 0), true);
    }
    RefreshOutputs();
}

void InverterSim::PowerCycle() {
    for (Parameter& p : parameters_)
        p.ram = p.eeprom; // a RAM-only parameter's EEPROM copy is its default
    maintenanceOpen_ = false;
    alarms_ = 0;
    drive_ = DriveModel();
    if (freqComm_)
        drive_.SetCommand(Scaled(*freqComm_, 0));
    RefreshOutputs();
}

bool InverterSim::SaveState(const QString& path, QString& error) const {
    QByteArray text;
    for (const Parameter& p : parameters_)
        if (!p.ramOnly)
            text += p.comNo.toLatin1() + '=' + QByteArray::number(p.eeprom) + '\n';
    // Written whole or not at all: the old state stays when the disk fails.
    return WriteFileAtomically(path, text, &error);
}

bool InverterSim::LoadState(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = file.errorString();
        return false;
    }
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split('=');
        if (fields.size() != 2)
            continue;
        const auto number = ParseNumber(QString::fromLatin1(fields[0]));
        Parameter* p = number ? Find(*number) : nullptr;
        bool ok = false;
        const qint32 value = fields[1].toInt(&ok);
        if (p && ok && !p->ramOnly)
            Store(*number, *p, value, true);
    }
    RefreshOutputs();
    return true;
}

} // namespace vdk
