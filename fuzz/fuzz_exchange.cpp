// One exchange on a line that brings noise, a damaged, a short or a late
// reply, then the settling of the line and the next exchange: the link's wait
// and checks, the line log's record and texts, and the key pad's reading of
// a panel block. The first bytes shape the request; the rest arrives in
// pieces at the times they give.
#include "VirtualClock.h"
#include "comm/CommLink.h"
#include "keypad/PanelDisplay.h"

#include <cstdint>
#include <deque>

namespace {

constexpr int kTimeoutMs = 200;
constexpr int kFrameGapMs = 2;

// Bytes arrive at set times of the virtual clock; a request purges what has
// arrived and was not read, as the real port does.
class LinePort final : public vdk::SerialPort {
public:
    struct Piece {
        qint64 at;
        QByteArray bytes;
    };

    LinePort(VirtualClock& clock, std::deque<Piece> pieces)
        : clock_(clock), pieces_(std::move(pieces)) {}

    int OpenPort(const vdk::PortSettings&) override { return 0; }
    void ClosePort() override {}
    bool IsOpen() const override { return true; }
    void SendFrame(const QByteArray&) override {
        Arrive(clock_.now);
        waiting_.clear();
    }
    int WaitingCount() override {
        Arrive(clock_.now);
        return int(waiting_.size());
    }
    QByteArray ReadWaiting() override {
        Arrive(clock_.now);
        const QByteArray bytes = waiting_.left(kReceiveBufferSize);
        waiting_.remove(0, bytes.size());
        read += bytes;
        return bytes;
    }
    void ReleaseLine() override {}
    int WaitForBytes(int count, qint64 deadline) override {
        Arrive(clock_.now);
        while (waiting_.size() < count && !pieces_.empty() && pieces_.front().at <= deadline) {
            clock_.SleepUntil(pieces_.front().at);
            Arrive(clock_.now);
        }
        const int waiting = int(waiting_.size());
        if (waiting < count)
            clock_.SleepUntil(deadline + 1);
        return waiting;
    }

    QByteArray read; // every byte handed over, in order

private:
    void Arrive(qint64 now) {
        while (!pieces_.empty() && pieces_.front().at <= now) {
            waiting_ += pieces_.front().bytes;
            pieces_.pop_front();
        }
    }

    VirtualClock& clock_;
    std::deque<Piece> pieces_;
    QByteArray waiting_;
};

vdk::Request RequestOf(const uint8_t* head) {
    const quint8 shape = head[0];
    vdk::Request r;
    r.panel = (shape & 6) == 6;
    r.command = r.panel ? 'R' : "RWP"[(shape >> 1) & 3];
    r.wide = !r.panel && (shape & 8);
    r.comNo = r.panel ? QStringLiteral("FC10") : QString::asprintf("%02X%02X", head[2], head[3]);
    r.valueText = QString::number(qint16(head[4] << 8 | head[5]));
    static constexpr vdk::Addressing::Mode kModes[] = {
        vdk::Addressing::None, vdk::Addressing::Number, vdk::Addressing::Broadcast,
        vdk::Addressing::Number};
    r.addressing = {kModes[(shape >> 4) & 3], head[1] % 64};
    return r;
}

// A failed exchange takes nothing; an answered one gives what its request
// can carry.
bool Sound(const vdk::ExchangeResult& r, const vdk::Request& request, vdk::Protocol protocol) {
    if (!r.ok)
        return r.value == 0 && r.panel.isEmpty();
    if (request.panel)
        return r.panel.size() == vdk::kPanelBytes;
    const bool wide = request.wide && protocol == vdk::Protocol::Inverter;
    return !r.timedOut && (wide || r.value <= 0xFFFF);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kHead = 6;
    if (size < kHead)
        return 0;
    const vdk::Protocol protocol = data[0] & 1 ? vdk::Protocol::Modbus : vdk::Protocol::Inverter;
    const vdk::Request request = RequestOf(data);
    // Then pieces: the milliseconds since the one before, the length, the
    // bytes.
    std::deque<LinePort::Piece> pieces;
    qint64 at = 0;
    for (size_t i = kHead; i + 2 <= size;) {
        at += data[i];
        const size_t n = std::min<size_t>(data[i + 1], size - i - 2);
        pieces.push_back(
            {at, QByteArray(reinterpret_cast<const char*>(data + i + 2), qsizetype(n))});
        i += 2 + n;
    }

    VirtualClock clock;
    LinePort port(clock, std::move(pieces));
    vdk::LineLog log(4);
    const vdk::Request next{QStringLiteral("FD00"), false, 'R', QString(), request.addressing};
    for (const vdk::Request& r : {request, next}) {
        const qsizetype before = port.read.size();
        const vdk::ExchangeResult result =
            vdk::Exchange(port, clock, protocol, r, kTimeoutMs, kFrameGapMs, &log);
        if (!Sound(result, r, protocol))
            __builtin_trap();
        const vdk::LineRecord record = log.Since(log.LastSequence() - 1).constLast();
        if (record.reply != port.read.mid(before) || record.Failed() == result.ok)
            __builtin_trap(); // the log shows every byte the exchange took, and its outcome
        vdk::LineLog::Text(record);
        for (const vdk::PanelPhase phase : {vdk::PanelPhase::A, vdk::PanelPhase::B}) {
            const vdk::PanelFrame frame = vdk::FrameOf(result.panel, phase);
            if (frame.text.size() != 4)
                __builtin_trap();
            vdk::ReadableText(frame.text);
            vdk::LampNames(frame.lamps);
            for (const QChar c : frame.text)
                vdk::SegmentsOf(c);
        }
        if (result.timedOut) // a late reply may be on its way
            vdk::SettleLine(port, clock, kTimeoutMs, kFrameGapMs);
    }
    if (vdk::LineLog::Csv(log.Since(0)).count("\r\n") != 3)
        __builtin_trap(); // a header and one row per exchange
    return 0;
}
