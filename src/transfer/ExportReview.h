#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace vdk {

class UPara;

// What the inverter holds of the parameters an export would write, read
// before the first write: the differences the user chooses from, and the
// values a snapshot keeps.
class ExportReview {
public:
    struct Row {
        enum class State { Equal, Different, Unreadable };
        int row = -1;
        State state = State::Unreadable;
        QString inverter; // the value text read; empty when the read failed
        bool ticked = true;
    };

    void Clear() {
        rows_.clear();
        index_.clear();
    }
    void Add(Row row) {
        index_.insert(row.row, int(rows_.size()));
        rows_.append(std::move(row));
    }
    const QList<Row>& Rows() const { return rows_; }
    int Count(Row::State state) const;
    // The differences left ticked: what a reviewed export writes.
    int Ticked() const;
    // The indexes into Rows of the differences, in table order.
    QList<int> Differences() const;
    // Ticks or unticks a difference; other rows stay as they are.
    void SetTicked(int index, bool on);
    void TickAll(bool on);
    // Whether table row `row` is a ticked difference: the rows a reviewed
    // export writes.
    bool Writes(int row) const;
    // Whether table row `row` was to be read and could not be.
    bool Unreadable(int row) const;

    // The inverter's values as a value set shaped as `values`: the rows read
    // hold what was read, every other row is marked unread, so that written
    // to a file and exported again it puts back exactly what was read.
    UPara Snapshot(const UPara& values) const;

private:
    const Row* Find(int row) const;

    QList<Row> rows_;
    QHash<int, int> index_; // table row -> index into rows_
};

} // namespace vdk
