#include "comm/LineLogModel.h"

namespace vdk {

bool LineFilter::Passes(const LineRecord& r) const {
    if (!comNo.trimmed().isEmpty() &&
        LineLog::Field(r, LineLog::ComNo).compare(comNo.trimmed(), Qt::CaseInsensitive) != 0)
        return false;
    switch (verdict) {
    case All:
        return true;
    case FailuresOnly:
        return r.Failed();
    default:
        return int(r.verdict) == verdict;
    }
}

LineLogModel::LineLogModel(LineLog& log, QObject* parent) : QAbstractTableModel(parent), log_(log) {
    for (int c = 0; c < LineLog::ColumnCount; ++c)
        headers_.append(LineLog::ColumnName(LineLog::Column(c)));
}

bool LineLogModel::Refresh() {
    if (paused_ || log_.LastSequence() == seen_)
        return false;
    QList<LineRecord> fresh;
    for (LineRecord& r : log_.Since(seen_))
        if (filter_.Passes(r))
            fresh.append(std::move(r));
    seen_ = log_.LastSequence();
    if (fresh.isEmpty())
        return false;
    // No more rows than the log keeps: the oldest go first.
    const qsizetype over = shown_.size() + fresh.size() - LineLog::kCapacity;
    if (over > 0) {
        const qsizetype drop = std::min(over, shown_.size());
        beginRemoveRows(QModelIndex(), 0, int(drop) - 1);
        shown_.remove(0, drop);
        endRemoveRows();
        fresh.remove(0, over - drop);
    }
    beginInsertRows(QModelIndex(), int(shown_.size()), int(shown_.size() + fresh.size()) - 1);
    shown_ += fresh;
    endInsertRows();
    return true;
}

void LineLogModel::SetFilter(const LineFilter& filter) {
    filter_ = filter;
    beginResetModel();
    shown_.clear();
    seen_ = 0;
    endResetModel();
    const bool paused = paused_;
    paused_ = false;
    Refresh();
    paused_ = paused;
}

void LineLogModel::Clear() {
    log_.Clear();
    beginResetModel();
    shown_.clear();
    seen_ = log_.LastSequence();
    endResetModel();
}

int LineLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(shown_.size());
}

int LineLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : LineLog::ColumnCount;
}

QVariant LineLogModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shown_.size())
        return QVariant();
    const LineRecord& r = shown_[index.row()];
    if (index.column() == LineLog::Verdict && int(r.verdict) < verdictTexts_.size()) {
        const QString& text = verdictTexts_[int(r.verdict)];
        return r.verdict == LineVerdict::Exception
                   ? QStringLiteral("%1 %2").arg(text).arg(r.exceptionCode, 2, 16, QLatin1Char('0'))
                   : text;
    }
    return LineLog::Field(r, LineLog::Column(index.column()));
}

QVariant LineLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    return headers_.value(section);
}

} // namespace vdk
