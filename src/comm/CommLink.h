#pragma once

#include "comm/CommSettings.h"
#include "comm/FrameCodec.h"
#include "comm/LineLog.h"

#include <QString>
#include <functional>
#include <optional>

namespace vdk {

class Catalogue;
class Clock;
class Messenger;
class ParaDat;
class SerialPort;
struct InverterIdentity;
class UPara;
struct ProgramFlags;

// The communication indicator: busy during an exchange, off after a failure,
// ready once a successful exchange is 300 ms old.
class CommIndicator {
public:
    enum Image { NoLink = 0, Ready = 1, Busy = 2 };
    static constexpr int kReadyAfterMs = 300;

    void ExchangeStarted(qint64 now);
    void Failed();
    // Ready at once, without the 300 ms (the key pad's panel read).
    void Answered();
    // The one-shot timer: call when the user interface gets a turn; true when
    // the image changed.
    bool Update(qint64 now);
    // When Update next has something to do, or -1.
    qint64 TimerDue() const { return timerRunning_ ? timerStart_ + kReadyAfterMs : -1; }
    Image Current() const { return image_; }

private:
    Image image_ = NoLink;
    qint64 timerStart_ = 0;
    bool timerRunning_ = false;
};

// One request and one reply on an open port, waiting without spinning: the
// reply counts when its n bytes are there no later than the time-out after the
// request has left; bytes that cannot begin this request's reply are passed
// over. After a complete MODBUS reply more than the silent interval
// `silenceUs` is kept, counted from the reply's last byte. Recorded in `log`
// when one is given.
struct ExchangeResult {
    bool ok = false;
    bool timedOut = false; // no reply to this request by the time-out
    quint32 value = 0;
    QByteArray panel; // the data bytes of a panel block read
};
constexpr qint64 kGapMarginUs = 10; // "more than the silent interval"
ExchangeResult Exchange(SerialPort& port, Clock& clock, Protocol protocol, const Request& request,
                        int timeoutMs, qint64 silenceUs, LineLog* log = nullptr);

// After a time-out a late reply may still be on its way, and a MODBUS read
// reply names no register: it would pass for the answer to the next read.
// Listens until the line has been quiet for `windowMs`, or until a reply has
// come and the silent interval has followed it, discarding what comes.
void SettleLine(SerialPort& port, Clock& clock, int windowMs, qint64 silenceUs);

// A reply word as the raw value of a parameter: two's complement when the
// parameter's lower limit is negative, over 32 bits when it travelled as four
// bytes, else over 16 bits (MODBUS always carries 16).
qint64 ReplyToRaw(quint32 reply, bool fourBytesOnWire, bool negativeLow);

// Whether a value text can be sent to a parameter without losing anything:
// a whole number within the parameter's width, signed or unsigned.
bool FitsParameter(const QString& valueText, bool fourBytesOnWire);

// The outcome of one exchange for a parameter: the reply word, or why there
// is none.
struct TransactResult {
    enum Failure {
        None,
        NoParameter, // the row is not in the table
        NotWhole,    // a value the parameter cannot hold whole: never sent
        NoPort,      // the port is not open
        NoAnswer,    // no reply to this request by the time-out
        BadReply,    // the inverter refused, or the reply was not its answer
        Declined,    // a write to every inverter on the line that was not confirmed
    };
    Failure failure = None;
    quint32 value = 0;
    bool ok() const { return failure == None; }
};

// The maintenance parameters open while 463 is in FB91 (RAM), and close with 0.
inline const QString kMaintenanceAccess = QStringLiteral("FB91");
inline const QString kMaintenanceCode = QStringLiteral("463");

// The link to the inverter: owns the settings of the one port, runs every
// exchange, the communication check and the inverter type check.
class CommLink {
public:
    CommLink(SerialPort& port, Clock& clock, Messenger& messenger, ProgramFlags& flags);

    // The definitions exchanges address by row; set after each load.
    void SetTable(const ParaDat* table) { table_ = table; }
    const ParaDat* Table() const { return table_; }
    // Called with false or true when the commands that need the inverter
    // must be disabled or enabled.
    void OnCommandsEnabled(std::function<void(bool)> f) { commandsEnabled_ = std::move(f); }
    // Called after each exchange and each port that does not open: the
    // indicator may show another image.
    void OnIndicatorChanged(std::function<void()> f) { indicatorChanged_ = std::move(f); }
    // Whether the last communication check enabled them.
    bool CommandsEnabled() const { return commandsOn_; }

    // Closes and reopens the port with the settings. 0 on success; on failure
    // the indicator goes off, and message 3 is shown when the last opening
    // had not failed too.
    int OpenPort();
    // One exchange for parameter `row`: a read ("R") or a write of
    // `valueText` ("P" RAM, "W" EEPROM). A write whose value the parameter
    // cannot hold whole (not an integer, or beyond its width) fails without
    // being sent.
    TransactResult Transact(int row, const QString& valueText, QStringView command);
    // A write of `value` to RAM ("P") of the parameter `comNo`; false when it
    // failed or the table does not define the number.
    bool WriteRam(QStringView comNo, int value);
    // A key word as the inverter takes one: FA10 1, the word in FA11, FA10 0.
    // False when any of the three writes failed.
    bool SendKeyWord(int word);
    // Whether the last exchange failed: the communication error flag that
    // stays set until the next exchange, or until cleared.
    bool LastFailed() const { return errorFlag_; }
    // The key pad's read of the panel display block: its ten data bytes, or
    // nothing when the read failed. The inverter protocol waits twice the
    // time-out.
    std::optional<QByteArray> ReadPanel();
    void ClearError() { errorFlag_ = false; }
    bool CommunicationCheck();
    // Opens the maintenance parameters (463 to FB91 in RAM) or closes them
    // (0). False when the exchange failed; true, with nothing sent, when the
    // table has no FB91.
    bool OpenMaintenanceAccess();
    bool CloseMaintenanceAccess();
    // Whether the loaded table has FB91, the maintenance parameters' access.
    bool HasMaintenanceAccess() const { return AccessRow() >= 0; }
    // A reply word of parameter `row` as its raw value: signed when the
    // parameter's low limit is negative in `values`; four bytes travel only
    // in the inverter protocol.
    qint64 RawOf(int row, quint32 reply, const UPara& values) const;
    // With "Broadcast" every inverter on the line takes every write. Before
    // the first write of a run of the program `confirmBroadcast` is asked
    // once; until it says yes, no write goes out on a broadcast line. True
    // when writes may go out.
    bool MayWrite();
    std::function<bool()> confirmBroadcast;
    // A broadcast spelled out (on the command line) needs no question.
    void ConfirmBroadcast() { broadcastConfirmed_ = true; }
    // Whether `valueText` can be sent to parameter `row` whole.
    bool Fits(int row, const QString& valueText) const;
    // Warns (messages 75 to 79) when the inverter on the line is not the loaded
    // type-form and capacity of the catalogue.
    void InverterTypeCheck(const Catalogue& catalogue, const InverterIdentity& loaded);

    // Every exchange of this link, and every write refused before sending.
    LineLog& Log() { return log_; }

    CommSettings settings;
    CommIndicator indicator;

private:
    void EnableCommands(bool on);
    Request RequestFor(int row, const QString& valueText, QStringView command) const;
    ExchangeResult Run(const Request& request, int timeoutMs);
    TransactResult Exchanged(TransactResult result);
    void IndicatorChanged();
    bool FourBytesOnWire(int row) const;
    int AccessRow() const;

    SerialPort& port_;
    Clock& clock_;
    Messenger& messenger_;
    ProgramFlags& flags_;
    const ParaDat* table_ = nullptr;
    std::function<void(bool)> commandsEnabled_;
    std::function<void()> indicatorChanged_;
    bool commandsOn_ = false;
    bool errorFlag_ = false;
    bool portFailed_ = false; // the last opening failed (message 3 was shown)
    bool broadcastConfirmed_ = false;
    qint64 lateUntil_ = -1; // a late reply may come until then (ms)
    LineLog log_;
};

} // namespace vdk
