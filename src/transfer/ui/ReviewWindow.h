#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace vdk {

class ExportReview;
class LanguageTexts;
class ParaDat;
class UPara;

// The differences an export found before writing, one ticked row each: title,
// name, the inverter's and the table's value in display units, the unit. Only
// the rows left ticked are written; the review itself is the core's.
class ReviewWindow final : public QDialog {
    Q_OBJECT
public:
    struct Sources {
        ExportReview& review;
        const ParaDat& table;
        const UPara& values;     // the values the export writes
        QString maintenanceName; // how a maintenance parameter is named
        bool maintenanceNames = false;
        bool decimalComma = false;
        bool snapshot = false; // the values written are a snapshot's
    };
    ReviewWindow(Sources sources, const LanguageTexts& texts, QWidget* parent = nullptr);

    QTreeWidget* List() const { return list_; }
    QPushButton* WriteButton() const { return write_; }
    QLabel* Counts() const { return counts_; }

private:
    void TickAll(bool on);
    void UpdateCounts();

    Sources s_;
    QString countsText_;
    QTreeWidget* list_ = nullptr;
    QLabel* counts_ = nullptr;
    QPushButton* write_ = nullptr;
};

} // namespace vdk
