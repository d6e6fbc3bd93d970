#pragma once

#include "VirtualClock.h"
#include "comm/SerialPort.h"

#include <QList>
#include <QQueue>

// A port whose replies are scripted: each SendFrame takes the next reply from
// the queue, and its bytes arrive together `delay` ms after the request left.
// An empty reply means silence. Time is the virtual clock's.
class ScriptedPort final : public vdk::SerialPort {
public:
    struct Reply {
        QByteArray bytes;
        qint64 delay = 0;
    };

    explicit ScriptedPort(VirtualClock& clock) : clock_(clock) {}

    int OpenPort(const vdk::PortSettings& settings) override {
        ++opens;
        open_ = !failOpen;
        opened = settings;
        return open_ ? 0 : 1;
    }
    void ClosePort() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    void SendFrame(const QByteArray& frame) override {
        sent.append(frame);
        ++rtsRaised;
        const Reply next = replies.isEmpty() ? Reply{} : replies.dequeue();
        pending_ = next.bytes;
        arrival_ = clock_.now + next.delay;
    }
    int WaitingCount() override { return clock_.now >= arrival_ ? int(pending_.size()) : 0; }
    QByteArray ReadWaiting() override {
        const QByteArray bytes = WaitingCount() ? pending_.left(kReceiveBufferSize) : QByteArray();
        pending_.remove(0, bytes.size());
        return bytes;
    }
    void ReleaseLine() override { ++rtsDropped; }
    // What arrived by the deadline counts; the clock then stands just past it.
    int WaitForBytes(int count, qint64 deadline) override {
        const bool inTime = arrival_ <= deadline;
        clock_.SleepUntil(inTime && pending_.size() >= count ? arrival_ : deadline + 1);
        return inTime ? int(pending_.size()) : 0;
    }

    QQueue<Reply> replies;
    QList<QByteArray> sent;
    vdk::PortSettings opened;
    bool failOpen = false;
    int opens = 0;
    int rtsRaised = 0;
    int rtsDropped = 0;

private:
    VirtualClock& clock_;
    bool open_ = false;
    QByteArray pending_;
    qint64 arrival_ = 0;
};
