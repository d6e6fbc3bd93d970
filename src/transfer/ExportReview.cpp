#include "transfer/ExportReview.h"

#include "data/UPara.h"

#include <algorithm>

namespace vdk {

int ExportReview::Count(Row::State state) const {
    return int(std::count_if(rows_.cbegin(), rows_.cend(),
                             [state](const Row& r) { return r.state == state; }));
}

int ExportReview::Ticked() const {
    return int(std::count_if(rows_.cbegin(), rows_.cend(), [](const Row& r) {
        return r.state == Row::State::Different && r.ticked;
    }));
}

QList<int> ExportReview::Differences() const {
    QList<int> indexes;
    for (int i = 0; i < rows_.size(); ++i)
        if (rows_[i].state == Row::State::Different)
            indexes.append(i);
    return indexes;
}

void ExportReview::SetTicked(int index, bool on) {
    if (index >= 0 && index < rows_.size() && rows_[index].state == Row::State::Different)
        rows_[index].ticked = on;
}

void ExportReview::TickAll(bool on) {
    for (int i = 0; i < rows_.size(); ++i)
        SetTicked(i, on);
}

const ExportReview::Row* ExportReview::Find(int row) const {
    const auto at = index_.constFind(row);
    return at == index_.cend() ? nullptr : &rows_[*at];
}

bool ExportReview::Writes(int row) const {
    const Row* r = Find(row);
    return r && r->state == Row::State::Different && r->ticked;
}

bool ExportReview::Unreadable(int row) const {
    const Row* r = Find(row);
    return r && r->state == Row::State::Unreadable;
}

UPara ExportReview::Snapshot(const UPara& values) const {
    UPara snapshot = values;
    for (int row = 0; row < snapshot.Count(); ++row) {
        snapshot.SetUnread(row, true);
        for (int col = UPara::ChangeIndex; col <= UPara::CommErrIndex; ++col)
            snapshot.SetMark(row, UPara::Col(col), false);
    }
    for (const Row& r : rows_)
        if (r.state != Row::State::Unreadable && r.row < snapshot.Count()) {
            snapshot.At(r.row, UPara::Value) = r.inverter;
            snapshot.SetUnread(r.row, false);
        }
    return snapshot;
}

} // namespace vdk
