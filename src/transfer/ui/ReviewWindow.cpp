#include "transfer/ui/ReviewWindow.h"

#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "data/UPara.h"
#include "settings/LanguageTexts.h"
#include "transfer/ComparisonLines.h"
#include "transfer/ExportReview.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vdk {

namespace {

enum Column { Title, Name, Inverter, Table, UnitColumn };

} // namespace

ReviewWindow::ReviewWindow(Sources sources, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent), s_(std::move(sources)) {
    const auto text = [&](const char* key, const char* def) {
        return texts.LangText(QStringLiteral("Review"), QLatin1String(key), QString::fromUtf8(def));
    };
    setWindowTitle(text("Form", "Review the Differences"));
    auto* intro = new QLabel(text("Intro", "These parameters hold other values in the inverter. "
                                           "Only the ticked ones are written."));
    intro->setWordWrap(true);
    list_ = new QTreeWidget;
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->setHeaderLabels({text("Column1", "Title"), text("Column2", "Name"),
                            text("Column3", "Inverter"),
                            s_.snapshot ? text("Column6", "Snapshot") : text("Column4", "VDK330Q"),
                            text("Column5", "Unit")});
    const QList<int> differences = s_.review.Differences();
    for (int index : differences) {
        const ExportReview::Row& r = s_.review.Rows()[index];
        auto* item = new QTreeWidgetItem(list_);
        item->setText(Title, ReportTitle(s_.table, r.row));
        item->setText(Name, ReportName(s_.table, r.row, s_.maintenanceName, s_.maintenanceNames));
        item->setText(
            Inverter,
            ScaledText(s_.table, r.row, r.inverter.toDouble(), s_.decimalComma).trimmed());
        item->setText(Table,
                      ScaledText(s_.table, r.row, s_.values.At(r.row, UPara::Value).toDouble(),
                                 s_.decimalComma)
                          .trimmed());
        item->setText(UnitColumn, s_.table.At(r.row, Unit));
        for (Column c : {Inverter, Table})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        item->setData(Title, Qt::UserRole, index);
        item->setCheckState(Title, r.ticked ? Qt::Checked : Qt::Unchecked);
    }
    for (int c = Title; c <= UnitColumn; ++c) {
        list_->resizeColumnToContents(c);
        list_->setColumnWidth(c, list_->columnWidth(c) + 16);
    }
    list_->header()->setStretchLastSection(true);
    connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column != Title)
            return;
        s_.review.SetTicked(item->data(Title, Qt::UserRole).toInt(),
                            item->checkState(Title) == Qt::Checked);
        UpdateCounts();
    });

    countsText_ = text("Counts", "%1 equal, %2 different (%3 ticked), %4 not read");
    counts_ = new QLabel;
    auto* all = new QPushButton(text("Button1", "Select all"));
    auto* none = new QPushButton(text("Button2", "Select none"));
    connect(all, &QPushButton::clicked, this, [this] { TickAll(true); });
    connect(none, &QPushButton::clicked, this, [this] { TickAll(false); });
    auto* buttons = new QDialogButtonBox;
    write_ = buttons->addButton(text("Button3", "Write ticked"), QDialogButtonBox::AcceptRole);
    buttons->addButton(text("Button4", "Cancel"), QDialogButtonBox::RejectRole);
    write_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(all);
    row->addWidget(none);
    row->addStretch();
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    // What could not be read is neither equal nor listed: said above the list.
    if (const int unread = s_.review.Count(ExportReview::Row::State::Unreadable)) {
        auto* warning = new QLabel(text("NotRead", "%1 parameters could not be read from the "
                                                   "inverter: they are not compared and not "
                                                   "written.")
                                       .arg(unread));
        warning->setObjectName(QStringLiteral("notRead"));
        warning->setWordWrap(true);
        warning->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
        layout->addWidget(warning);
    }
    layout->addWidget(list_);
    layout->addWidget(counts_);
    layout->addLayout(row);
    resize(680, 420);
    UpdateCounts();
}

void ReviewWindow::TickAll(bool on) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        list_->topLevelItem(i)->setCheckState(Title, on ? Qt::Checked : Qt::Unchecked);
}

// Writing nothing is Cancel's work: the write button needs a tick.
void ReviewWindow::UpdateCounts() {
    using State = ExportReview::Row::State;
    const int ticked = s_.review.Ticked();
    counts_->setText(countsText_.arg(s_.review.Count(State::Equal))
                         .arg(s_.review.Count(State::Different))
                         .arg(ticked)
                         .arg(s_.review.Count(State::Unreadable)));
    write_->setEnabled(ticked > 0);
}

} // namespace vdk
