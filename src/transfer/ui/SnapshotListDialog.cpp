#include "transfer/ui/SnapshotListDialog.h"

#include "settings/LanguageTexts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vdk {

SnapshotListDialog::SnapshotListDialog(QList<SnapshotInfo> snapshots, const QString& folder,
                                       const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent), snapshots_(std::move(snapshots)) {
    const auto text = [&](const char* key, const char* def) {
        return texts.LangText(QStringLiteral("Snapshots"), QLatin1String(key),
                              QString::fromUtf8(def));
    };
    setWindowTitle(text("Form", "Restore Snapshot"));
    auto* intro = new QLabel(snapshots_.isEmpty()
                                 ? text("Empty", "No snapshot of this inverter has been taken yet.")
                                 : text("Intro", "The inverter's values before each export. "
                                                 "Restore writes the chosen one back after "
                                                 "you have reviewed the differences."));
    intro->setWordWrap(true);
    list_ = new QTreeWidget;
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->setHeaderLabels({text("Column1", "Time"), text("Column2", "Inverter"),
                            text("Column3", "Parameters"), text("Column4", "Comment")});
    for (const SnapshotInfo& s : std::as_const(snapshots_)) {
        auto* item =
            new QTreeWidgetItem(list_, {s.time.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")),
                                        s.inverter, QString::number(s.count), s.comment});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(0, QDir::toNativeSeparators(s.path));
    }
    // Room beside the widest entry, so none touches the next column.
    for (int c = 0; c < 3; ++c) {
        list_->resizeColumnToContents(c);
        list_->setColumnWidth(c, list_->columnWidth(c) + 16);
    }
    auto* where = new QLabel(text("Folder", "Folder: %1").arg(QDir::toNativeSeparators(folder)));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    where->setWordWrap(true);

    auto* buttons = new QDialogButtonBox;
    restore_ = buttons->addButton(text("Button1", "Restore"), QDialogButtonBox::AcceptRole);
    buttons->addButton(text("Button2", "Cancel"), QDialogButtonBox::RejectRole);
    restore_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    const auto update = [this] { restore_->setEnabled(list_->currentItem() != nullptr); };
    connect(list_, &QTreeWidget::currentItemChanged, this, update);
    if (!snapshots_.isEmpty())
        list_->setCurrentItem(list_->topLevelItem(0));
    update();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(list_);
    layout->addWidget(where);
    layout->addWidget(buttons);
    resize(640, 360);
}

const SnapshotInfo* SnapshotListDialog::Chosen() const {
    const int index = list_->currentIndex().row();
    return index >= 0 && index < snapshots_.size() ? &snapshots_[index] : nullptr;
}

} // namespace vdk
