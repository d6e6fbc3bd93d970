#pragma once

#include "data/ParameterLink.h"

namespace vdk {

class CommLink;
class ParaDat;
class UPara;

// The selected-parameter transfers (F3 read, F2 write) on the link: each
// exchange leaves the transfer marks (the communication error mark, the
// transfer flag, the write mark) and, on success, the value.
class SelectedTransfer final : public ParameterLink {
public:
    SelectedTransfer(ParaDat& table, UPara& values, CommLink& link);

    bool Ready() override;
    bool MayWrite() override;
    bool Read(int param) override;
    QString Write(int param, const QString& rawText, bool eeprom) override;

private:
    void MarkTransfer(int param, bool failed);

    ParaDat& table_;
    UPara& values_;
    CommLink& link_;
};

} // namespace vdk
