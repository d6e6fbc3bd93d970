#pragma once

#include "comm/LineLog.h"

#include <QAbstractTableModel>

namespace vdk {

// Which records a view shows: those of one communication number (any when
// empty; letter case does not matter), and of every verdict, of the failures
// only, or of one verdict.
struct LineFilter {
    enum Choice { All = -2, FailuresOnly = -1 }; // else a LineVerdict
    QString comNo;
    int verdict = All;

    bool Passes(const LineRecord& record) const;
};

// The line log as a table, oldest at the top: Refresh takes only what was
// recorded since the last look, so a view can poll it on a timer however
// fast the line runs. Paused, it takes nothing new until resumed.
class LineLogModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LineLogModel(LineLog& log, QObject* parent = nullptr);

    // Appends the new records that pass the filter; true when rows came.
    bool Refresh();
    void SetPaused(bool paused) { paused_ = paused; }
    bool Paused() const { return paused_; }
    // Shows the records still in the log that pass `filter`.
    void SetFilter(const LineFilter& filter);
    // Empties the log and the table.
    void Clear();
    const QList<LineRecord>& Records() const { return shown_; }
    // Column titles, LineLog::ColumnName by default.
    void SetHeaders(const QStringList& headers) { headers_ = headers; }
    // Verdicts in the user's language, by LineVerdict; LineLog::VerdictText
    // by default. An exception's code follows its text.
    void SetVerdictTexts(const QStringList& texts) { verdictTexts_ = texts; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    LineLog& log_;
    LineFilter filter_;
    QList<LineRecord> shown_;
    QStringList headers_;
    QStringList verdictTexts_;
    quint64 seen_ = 0;
    bool paused_ = false;
};

} // namespace vdk
