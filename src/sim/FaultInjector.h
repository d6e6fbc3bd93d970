#pragma once

#include "sim/SimOptions.h"

#include <QByteArray>
#include <random>

namespace vdk {

// Decides, reply by reply, which fault of the options' rates strikes, from a
// seeded generator so that a run can be repeated exactly.
class FaultInjector {
public:
    explicit FaultInjector(const SimOptions& options);

    // Draws the fault for one reply and applies it: Drop empties the reply,
    // Corrupt changes one byte, Partial keeps a shorter head. Late leaves the
    // bytes alone; the caller delays them.
    SimFault Inject(QByteArray& reply);

private:
    double dropRate_;
    double lateRate_;
    double corruptRate_;
    double partialRate_;
    std::mt19937 random_;
};

} // namespace vdk
