#include "base/Clock.h"

#include <QThread>

namespace vdk {

SystemClock::SystemClock() {
    timer_.start();
}

qint64 SystemClock::Milliseconds() const {
    return timer_.elapsed();
}

void SystemClock::SleepUntil(qint64 deadline) {
    for (qint64 left = deadline - Milliseconds(); left > 0; left = deadline - Milliseconds())
        QThread::msleep(static_cast<unsigned long>(left));
}

} // namespace vdk
