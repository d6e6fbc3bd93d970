#include "comm/CommLink.h"

#include "base/Clock.h"
#include "base/ProgramFlags.h"
#include "comm/SerialPort.h"
#include "data/Catalogue.h"
#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <algorithm>
#include <limits>

namespace vdk {

void CommIndicator::ExchangeStarted(qint64 now) {
    image_ = Busy;
    timerStart_ = now;
    timerRunning_ = true;
}

void CommIndicator::Failed() {
    image_ = NoLink;
    timerRunning_ = false;
}

void CommIndicator::Answered() {
    image_ = Ready;
    timerRunning_ = false;
}

bool CommIndicator::Update(qint64 now) {
    if (!timerRunning_ || now - timerStart_ < kReadyAfterMs)
        return false;
    timerRunning_ = false;
    image_ = Ready;
    return true;
}

ExchangeResult Exchange(SerialPort& port, Clock& clock, Protocol protocol, const Request& request,
                        int timeoutMs, qint64 silenceUs, LineLog* log) {
    const bool modbus = protocol == Protocol::Modbus;
    LineRecord record = LineRecordOf(protocol, request);
    record.request = modbus ? EncodeModbusRequest(request) : EncodeInverterRequest(request);
    const qint64 sentUs = clock.Microseconds();
    port.SendFrame(record.request);
    const int n = modbus ? ModbusReplyLength(request) : InverterReplyLength(request);
    const qint64 deadline = clock.Milliseconds() + timeoutMs;
    ExchangeResult result;
    QByteArray reply;
    bool exception = false; // a MODBUS slave's refusal, told by its second byte
    int length = n;
    for (;;) {
        // What cannot begin this request's reply is a late answer to an
        // earlier one, or noise: it is passed over, and the wait goes on.
        qsizetype start = 0;
        const QByteArrayView view(reply);
        while (start < reply.size() && !BeginsReplyTo(protocol, request, view.sliced(start)) &&
               !(modbus && BeginsModbusException(request, view.sliced(start))))
            ++start;
        reply.remove(0, start);
        exception = modbus && reply.size() >= 2 && BeginsModbusException(request, reply);
        length = exception ? kModbusExceptionLength : n;
        const int missing = length - int(reply.size());
        if (result.timedOut || missing <= 0)
            break;
        // Until its second byte, a MODBUS reply may yet be the shorter exception.
        const int wanted = modbus && reply.size() < 2
                               ? std::min(missing, kModbusExceptionLength - int(reply.size()))
                               : missing;
        const bool inTime = port.WaitForBytes(wanted, deadline) >= wanted;
        // Bytes that come too late are no answer, but the log shows them.
        const QByteArray more = port.ReadWaiting();
        record.reply += more;
        reply += more;
        result.timedOut = !inTime || more.isEmpty();
    }
    const qint64 endUs = clock.Microseconds();
    if (result.timedOut) {
        // Bytes that could not begin the reply (a damaged first byte, another
        // inverter's answer, a late one) were passed over: say so.
        record.verdict = !reply.isEmpty() && reply.size() < length ? LineVerdict::ShortReply
                         : record.reply.isEmpty()                  ? LineVerdict::NoReply
                                                                   : LineVerdict::NotItsAnswer;
    } else {
        const bool checked =
            modbus ? CheckModbusReply(reply, length) : CheckInverterReply(reply, n);
        // The panel block's checksum is not reliable on every inverter; the
        // key pad's own read of it insists.
        result.ok = !exception && (checked || (IsFc10(request.comNo) && !request.panel));
        record.verdict = checked || result.ok ? LineVerdict::Answered
                         : modbus             ? LineVerdict::CrcFailure
                                              : LineVerdict::ChecksumFailure;
        if (checked && exception) {
            record.verdict = LineVerdict::Exception;
            record.exceptionCode = quint8(reply[2]);
        }
        if (modbus) {
            // The silent interval counts from the reply's last byte.
            clock.SleepUntilMicroseconds(endUs + silenceUs + kGapMarginUs);
            // A read reply names no register: a second frame on its heels
            // means one of the two answered an earlier request, and nothing
            // tells which.
            if (result.ok && request.command == 'R' &&
                (reply.size() > n || port.WaitingCount() > 0)) {
                result.ok = false;
                record.verdict = LineVerdict::Ambiguous;
                record.reply += port.ReadWaiting();
            }
        }
        if (result.ok && request.panel) {
            result.panel = PanelData(protocol, reply, n);
        } else if (result.ok) {
            bool error = false;
            result.value =
                modbus ? DecodeModbusReply(reply, error) : DecodeInverterReply(reply, request);
            result.ok = !error;
            if (error)
                record.verdict = LineVerdict::Ambiguous;
        }
    }
    port.ReleaseLine();
    if (!result.ok)
        result.value = 0;
    if (log) {
        record.time = sentUs / 100;
        record.roundTrip = qint32((endUs - sentUs) / 100);
        record.value = result.value;
        log->Record(std::move(record));
    }
    return result;
}

void SettleLine(SerialPort& port, Clock& clock, int windowMs, qint64 silenceUs) {
    const qint64 start = clock.Milliseconds();
    const qint64 limit = start + 2 * qint64(windowMs); // a line that never falls silent
    qint64 deadline = start + windowMs;
    while (port.WaitForBytes(1, std::min(deadline, limit)) >= 1 && clock.Milliseconds() <= limit) {
        port.ReadWaiting();
        deadline = (clock.Microseconds() + silenceUs + 999) / 1000;
    }
}

qint64 ReplyToRaw(quint32 reply, bool fourBytesOnWire, bool negativeLow) {
    if (fourBytesOnWire)
        return negativeLow ? qint64(qint32(reply)) : qint64(reply);
    const quint16 word = quint16(reply);
    return negativeLow ? qint64(qint16(word)) : qint64(word);
}

bool FitsParameter(const QString& valueText, bool fourBytesOnWire) {
    bool ok = false;
    const qlonglong v = valueText.trimmed().toLongLong(&ok);
    if (!ok)
        return false;
    return fourBytesOnWire
               ? v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<quint32>::max()
               : v >= std::numeric_limits<qint16>::min() &&
                     v <= std::numeric_limits<quint16>::max();
}

CommLink::CommLink(SerialPort& port, Clock& clock, Messenger& messenger, ProgramFlags& flags)
    : port_(port), clock_(clock), messenger_(messenger), flags_(flags) {}

bool CommLink::MayWrite() {
    if (!settings.douhou || broadcastConfirmed_)
        return true;
    broadcastConfirmed_ = confirmBroadcast && confirmBroadcast();
    return broadcastConfirmed_;
}

void CommLink::EnableCommands(bool on) {
    commandsOn_ = on;
    if (commandsEnabled_)
        commandsEnabled_(on);
}

int CommLink::OpenPort() {
    if (port_.OpenPort(settings.port) == 0) {
        portFailed_ = false;
        return 0;
    }
    // Working without an inverter, every check would say it again: the
    // message comes when the port stops opening, the lamp shows it after.
    if (!portFailed_)
        messenger_.Show(kMsgPortFailed, MsgIcon::None);
    portFailed_ = true;
    indicator.Failed();
    IndicatorChanged();
    return 1;
}

TransactResult CommLink::Transact(int row, const QString& valueText, QStringView command) {
    const auto failed = [this](TransactResult::Failure failure) {
        errorFlag_ = true;
        return Exchanged({failure, 0});
    };
    errorFlag_ = false;
    const bool known = table_ && row >= 0 && row < table_->Count() && !command.isEmpty();
    // A value the parameter cannot hold whole is never sent (no 0, no low
    // bits); the exchange fails, but the link is not at fault.
    const bool write = known && command.front().toUpper() != QLatin1Char('R');
    if (write && !MayWrite())
        return failed(TransactResult::Declined);
    if (write && !Fits(row, valueText)) {
        LineRecord refused = LineRecordOf(settings.protocol, RequestFor(row, valueText, command));
        refused.time = clock_.Microseconds() / 100;
        refused.verdict = LineVerdict::Refused;
        log_.Record(std::move(refused));
        return failed(TransactResult::NotWhole);
    }
    indicator.ExchangeStarted(clock_.Milliseconds());
    // A row that is not there, or a closed port, is a failed exchange.
    if (!known || !port_.IsOpen()) {
        indicator.Failed();
        return failed(known ? TransactResult::NoPort : TransactResult::NoParameter);
    }
    const ExchangeResult r = Run(RequestFor(row, valueText, command), settings.delay);
    if (!r.ok) {
        indicator.Failed();
        return failed(r.timedOut ? TransactResult::NoAnswer : TransactResult::BadReply);
    }
    return Exchanged({TransactResult::None, r.value});
}

std::optional<QByteArray> CommLink::ReadPanel() {
    indicator.ExchangeStarted(clock_.Milliseconds());
    if (!port_.IsOpen()) {
        indicator.Failed();
        IndicatorChanged();
        return std::nullopt;
    }
    const Request request{QStringLiteral("FC10"), false, 'R', QString(), settings.Address(), true};
    const bool modbus = settings.protocol == Protocol::Modbus;
    const ExchangeResult r = Run(request, modbus ? settings.delay : 2 * settings.delay);
    if (r.ok)
        indicator.Answered();
    else
        indicator.Failed();
    IndicatorChanged();
    if (!r.ok)
        return std::nullopt;
    return r.panel;
}

Request CommLink::RequestFor(int row, const QString& valueText, QStringView command) const {
    return {table_->At(row, ComNo), table_->At(row, Byte) == QLatin1String("4"),
            char(command.front().toUpper().unicode()), valueText, settings.Address()};
}

// A late reply to an earlier read would pass for this read's reply in
// MODBUS: the line is heard out first.
ExchangeResult CommLink::Run(const Request& request, int timeoutMs) {
    const qint64 silenceUs = SilentIntervalUs(settings.port.baudIndex);
    const qint64 now = clock_.Milliseconds();
    if (settings.protocol == Protocol::Modbus && request.command == 'R' && lateUntil_ > now) {
        SettleLine(port_, clock_, int(lateUntil_ - now), silenceUs);
        lateUntil_ = -1;
    }
    const ExchangeResult r =
        Exchange(port_, clock_, settings.protocol, request, timeoutMs, silenceUs, &log_);
    if (r.timedOut)
        lateUntil_ = clock_.Milliseconds() + timeoutMs;
    return r;
}

TransactResult CommLink::Exchanged(TransactResult result) {
    IndicatorChanged();
    return result;
}

void CommLink::IndicatorChanged() {
    if (indicatorChanged_)
        indicatorChanged_();
}

bool CommLink::WriteRam(QStringView comNo, int value) {
    return Transact(table_ ? table_->FindRow(comNo) : -1, QString::number(value), u"P").ok();
}

bool CommLink::SendKeyWord(int word) {
    const bool on = WriteRam(u"FA10", 1);
    const bool sent = WriteRam(u"FA11", word);
    return WriteRam(u"FA10", 0) && on && sent;
}

int CommLink::AccessRow() const {
    return table_ ? table_->FindRow(kMaintenanceAccess) : -1;
}

bool CommLink::OpenMaintenanceAccess() {
    const int row = AccessRow();
    return row < 0 || Transact(row, kMaintenanceCode, u"P").ok();
}

bool CommLink::CloseMaintenanceAccess() {
    const int row = AccessRow();
    return row < 0 || Transact(row, QStringLiteral("0"), u"P").ok();
}

bool CommLink::FourBytesOnWire(int row) const {
    return settings.protocol == Protocol::Inverter && table_ && row >= 0 && row < table_->Count() &&
           table_->At(row, Byte) == QLatin1String("4");
}

qint64 CommLink::RawOf(int row, quint32 reply, const UPara& values) const {
    return ReplyToRaw(reply, FourBytesOnWire(row), table_ && NegativeLow(*table_, values, row));
}

bool CommLink::Fits(int row, const QString& valueText) const {
    return FitsParameter(valueText, FourBytesOnWire(row));
}

bool CommLink::CommunicationCheck() {
    if (flags_.MonitorBusy)
        return false;
    if (OpenPort() != 0) {
        EnableCommands(false);
        return false;
    }
    const int row = table_ ? table_->FindRow(u"0000") : -1;
    const bool ok = row >= 0 && Transact(row, QString(), u"R").ok();
    EnableCommands(ok);
    return ok;
}

void CommLink::InverterTypeCheck(const Catalogue& catalogue, const InverterIdentity& loaded) {
    if (!table_)
        return;
    const auto read = [&](QStringView number) -> QString {
        const int row = table_->FindRow(number);
        if (row < 0)
            return QString();
        return QString::number(qint16(quint16(Transact(row, QString(), u"R").value)));
    };
    OpenMaintenanceAccess();
    const QString typeCode = read(u"FB07");
    const QString capacityCode = read(u"FB05");

    // A number the catalogue does not list (or none read) shows as "Err".
    const auto named = [](const QString& name) {
        return name.isEmpty() ? QStringLiteral("Err") : name;
    };
    const QString type = named(typeCode.isNull() ? QString() : catalogue.TypeFormOf(typeCode));
    const QString capacity =
        named(capacityCode.isNull() ? QString() : catalogue.CapacityOf(type, capacityCode));

    QStringList problems;
    if (type == QLatin1String("Err"))
        problems.append(messenger_.Text(kMsgUnknownType));
    else if (type != loaded.TypeForm)
        problems.append(messenger_.Text(kMsgOtherType));
    if (capacity == QLatin1String("Err"))
        problems.append(messenger_.Text(kMsgUnknownCapacity));
    else if (capacity != loaded.Capacity)
        problems.append(messenger_.Text(kMsgOtherCapacity));
    if (problems.isEmpty())
        return;
    const QString nl = QStringLiteral("\n");
    messenger_.ShowText(kMsgConnected,
                        messenger_.Text(kMsgConnected) + type + capacity + nl + nl +
                            problems.value(0) + nl + problems.value(1),
                        MsgIcon::Exclamation);
}

} // namespace vdk
