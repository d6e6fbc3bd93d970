#pragma once

#include "transfer/Snapshots.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;

namespace vdk {

class LanguageTexts;

// The snapshots of the selected inverter, newest first: time, inverter,
// how many parameters and the comment. Restore takes the chosen one.
class SnapshotListDialog final : public QDialog {
    Q_OBJECT
public:
    SnapshotListDialog(QList<SnapshotInfo> snapshots, const QString& folder,
                       const LanguageTexts& texts, QWidget* parent = nullptr);

    // The snapshot chosen, once the dialog was accepted.
    const SnapshotInfo* Chosen() const;
    QTreeWidget* List() const { return list_; }
    QPushButton* RestoreButton() const { return restore_; }

private:
    QList<SnapshotInfo> snapshots_;
    QTreeWidget* list_ = nullptr;
    QPushButton* restore_ = nullptr;
};

} // namespace vdk
