#include "sim/SimulatedPort.h"

#include <algorithm>

namespace vdk {

namespace {
constexpr int kEightDataBits = 1;
} // namespace

SimulatedPort::SimulatedPort(InverterSim& sim, Clock& clock)
    : sim_(sim), clock_(clock), parser_(sim.Options().protocol), faults_(sim.Options()) {}

int SimulatedPort::OpenPort(const PortSettings& settings) {
    ClosePort();
    if (settings.portName.startsWith(QLatin1String("absent")))
        return 1;
    settings_ = settings;
    open_ = true;
    return 0;
}

void SimulatedPort::ClosePort() {
    open_ = false;
    input_.clear();
}

bool SimulatedPort::LineMatches() const {
    const SimOptions& o = sim_.Options();
    return settings_.baudIndex == o.baudIndex && settings_.parityIndex == o.parityIndex &&
           settings_.stopBitsIndex == o.stopBitsIndex && settings_.byteSizeIndex == kEightDataBits;
}

qint64 SimulatedPort::CharacterEnd(qint64 start, qint64 n) const {
    const SimOptions& o = sim_.Options();
    return start + (o.wireTiming ? LineMilliseconds(o, double(n)) : 0);
}

void SimulatedPort::SendFrame(const QByteArray& frame) {
    // The purge empties the input queue; a late reply still on the wire
    // arrives after it, as on a real line.
    const qint64 now = clock_.Milliseconds();
    while (!input_.empty() && input_.front().at <= now)
        input_.pop_front();
    if (replyEnd_ >= 0 && replyEnd_ <= now)
        turnarounds_.push_back(clock_.Microseconds() - replyEnd_ * 1000);
    replyEnd_ = -1;
    if (!open_)
        return;
    ++rtsRaised_;
    if (!LineMatches())
        return;
    const QList<QByteArray> requests = parser_.Feed(frame);
    if (sim_.Options().protocol == Protocol::Modbus)
        parser_.Reset(); // the master's silence after the frame ends it
    // Characters on the line so far, counted from the start of the request.
    qint64 characters = frame.size();
    for (const QByteArray& request : requests) {
        ++requestsSeen_;
        QByteArray reply = sim_.Handle(request, now);
        lastFault_ = faults_.Inject(reply);
        const qint64 start = now + sim_.Options().latencyMs +
                             (lastFault_ == SimFault::Late ? sim_.Options().lateDelayMs : 0);
        for (char byte : reply) {
            // Nothing overtakes a byte already on its way.
            const qint64 at = CharacterEnd(start, ++characters);
            input_.push_back({input_.empty() ? at : std::max(at, input_.back().at), byte});
        }
        if (!reply.isEmpty())
            replyEnd_ = input_.back().at;
    }
}

int SimulatedPort::WaitingCount() {
    const qint64 now = clock_.Milliseconds();
    return int(std::count_if(input_.begin(), input_.end(),
                             [now](const Arrival& a) { return a.at <= now; }));
}

QByteArray SimulatedPort::ReadWaiting() {
    const int count = std::min(WaitingCount(), kReceiveBufferSize);
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes.append(input_.front().byte);
        input_.pop_front();
    }
    return bytes;
}

int SimulatedPort::WaitForBytes(int count, qint64 deadline) {
    if (WaitingCount() < count) {
        const bool inTime =
            count >= 1 && count <= int(input_.size()) && input_[count - 1].at <= deadline;
        clock_.SleepUntil(inTime ? input_[count - 1].at : deadline + 1);
    }
    return WaitingCount();
}

} // namespace vdk
