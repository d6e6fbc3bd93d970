#include "transfer/TransferSession.h"

#include "comm/CommLink.h"

namespace vdk {

TransferSession::TransferSession(ParaDat& table, UPara& values, CommLink& link,
                                 Messenger& messenger, EventPump& pump, Config config)
    : table_(table), values_(values), link_(link), messenger_(messenger), pump_(pump),
      config_(std::move(config)), report_(int(config_.mode)) {}

bool TransferSession::Prepare() {
    const auto lastRow = PrepareTransfer(link_, table_, config_.setup.useMaintenance, messenger_);
    if (!lastRow)
        return false;
    run_ = std::make_unique<TransferRun>(
        table_, values_, link_, messenger_, pump_,
        TransferRun::Config{config_.setup.run, config_.typeForm, config_.decimalComma, *lastRow});
    return true;
}

bool TransferSession::Execute() {
    return Finish(run_->Run(config_.mode, report_));
}

bool TransferSession::Finish(const TransferRun::Outcome& outcome) {
    outcome_ = outcome;
    return !config_.closeMaintenance || link_.CloseMaintenanceAccess();
}

bool TransferSession::ShowsReport() const {
    return (!outcome_.aborted || outcome_.stopped) && config_.setup.ShowsReport(int(config_.mode));
}

} // namespace vdk
