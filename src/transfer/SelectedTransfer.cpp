#include "transfer/SelectedTransfer.h"

#include "comm/CommLink.h"
#include "data/ParaDat.h"
#include "data/UPara.h"

namespace vdk {

SelectedTransfer::SelectedTransfer(ParaDat& table, UPara& values, CommLink& link)
    : table_(table), values_(values), link_(link) {}

bool SelectedTransfer::MayWrite() {
    return link_.MayWrite();
}

bool SelectedTransfer::Ready() {
    return link_.CommunicationCheck();
}

void SelectedTransfer::MarkTransfer(int param, bool failed) {
    values_.SetMark(param, UPara::CommErrIndex, failed);
    if (!failed)
        table_.SetTransferFlag(param, ParaDat::Transfer::Passed);
}

bool SelectedTransfer::Read(int param) {
    const TransactResult word = link_.Transact(param, QString(), u"R");
    MarkTransfer(param, !word.ok());
    if (!word.ok())
        return false;
    values_.At(param, UPara::Value) = QString::number(link_.RawOf(param, word.value, values_));
    values_.SetUnread(param, false);
    return true;
}

QString SelectedTransfer::Write(int param, const QString& rawText, bool eeprom) {
    const TransactResult echo = link_.Transact(param, rawText, eeprom ? u"W" : u"P");
    values_.SetMark(param, UPara::WriteIndex, !echo.ok());
    MarkTransfer(param, !echo.ok());
    if (!echo.ok())
        return values_.At(param, UPara::Value);
    return QString::number(link_.RawOf(param, echo.value, values_));
}

} // namespace vdk
