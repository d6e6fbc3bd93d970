#include "transfer/TransferSession.h"

#include "comm/CommLink.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

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

void TransferSession::AskThroughMessenger(const QString& stop, const QString& goOn) {
    Messenger& messenger = messenger_;
    run_->keepGoing = [&messenger, stop, goOn](int failures) {
        Message m = messenger.Texts().MakeMessage(kMsgSilentLine, MsgIcon::Exclamation,
                                                  MsgButtons::StopGoOn);
        m.text = m.text.arg(failures);
        m.labels = {stop, goOn};
        m.preferred = Answer::Abort;
        return messenger.Dialogs().ShowMessage(m) == Answer::Ignore;
    };
    run_->guard.writeUnsaved = [&messenger](int) {
        Message m = messenger.Texts().MakeMessage(kMsgWriteUnsaved, MsgIcon::Exclamation,
                                                  MsgButtons::YesNo);
        m.preferred = Answer::No;
        return messenger.Dialogs().ShowMessage(m) == Answer::Yes;
    };
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
