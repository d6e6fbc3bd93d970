#include "sim/FaultInjector.h"

namespace vdk {

FaultInjector::FaultInjector(const SimOptions& options)
    : dropRate_(options.dropRate), lateRate_(options.lateRate), corruptRate_(options.corruptRate),
      partialRate_(options.partialRate), random_(options.seed) {}

SimFault FaultInjector::Inject(QByteArray& reply) {
    if (reply.isEmpty())
        return SimFault::None;
    double draw = std::uniform_real_distribution<double>(0.0, 1.0)(random_);
    SimFault fault = SimFault::None;
    for (const auto& [kind, rate] :
         {std::pair{SimFault::Drop, dropRate_}, std::pair{SimFault::Late, lateRate_},
          std::pair{SimFault::Corrupt, corruptRate_}, std::pair{SimFault::Partial, partialRate_}}) {
        if (draw < rate) {
            fault = kind;
            break;
        }
        draw -= rate;
    }
    const auto pick = [this](qsizetype below) {
        return qsizetype(std::uniform_int_distribution<qsizetype>(0, below - 1)(random_));
    };
    switch (fault) {
    case SimFault::Drop:
        reply.clear();
        break;
    case SimFault::Corrupt: {
        // One changed byte always breaks a byte sum and a CRC-16, whichever
        // byte it is, the check byte included.
        const qsizetype at = pick(reply.size());
        reply[at] = char(quint8(reply[at]) ^ quint8(1 + pick(255)));
        break;
    }
    case SimFault::Partial:
        reply.truncate(reply.size() > 1 ? 1 + pick(reply.size() - 1) : 0);
        break;
    case SimFault::None:
    case SimFault::Late:
        break;
    }
    return fault;
}

} // namespace vdk
