#include "data/ui/BufferTableWindow.h"

#include "base/ProgramFlags.h"
#include "data/ParaDat.h"
#include "data/UPara.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableView>

namespace vdk {

namespace {

// A table of text cells whose row 0 holds the column keys, read live.
template <typename Read> class LiveTable final : public QAbstractTableModel {
public:
    LiveTable(int columns, std::function<int()> rows, Read read, QObject* parent)
        : QAbstractTableModel(parent), columns_(columns), rows_(std::move(rows)), read_(read) {}
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : rows_() + 1;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : columns_;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return read_(index.row(), index.column());
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }

private:
    int columns_;
    std::function<int()> rows_;
    Read read_;
};

QTableView* Grid(QAbstractItemModel* model, int columnWidth, QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setModel(model);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setDefaultSectionSize(columnWidth);
    grid->verticalHeader()->setDefaultSectionSize(16);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return grid;
}

} // namespace

BufferTableWindow::BufferTableWindow(const ParaDat& table, const UPara& values,
                                     const LanguageTexts& texts, const ProgramFlags& flags,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), texts_(texts), flags_(flags) {
    setWindowTitle(QStringLiteral("Parameters"));
    setMinimumSize(787, 473);
    const auto paraCell = [&table](int row, int column) {
        return row == 0                  ? ParaDat::Keys()[column]
               : row - 1 < table.Count() ? table.At(row - 1, ParaCol(column))
                                         : QString();
    };
    const auto valueCell = [&values](int row, int column) {
        return row == 0                   ? UPara::Keys()[column]
               : row - 1 < values.Count() ? values.At(row - 1, UPara::Col(column))
                                          : QString();
    };
    auto* paraModel = new LiveTable<decltype(paraCell)>(
        ParaColCount, [&table] { return table.Count(); }, paraCell, this);
    auto* valueModel = new LiveTable<decltype(valueCell)>(
        UPara::ColCount, [&values] { return values.Count(); }, valueCell, this);
    resetModels_ = [paraModel, valueModel] {
        paraModel->Reset();
        valueModel->Reset();
    };
    paraDat_ = Grid(paraModel, 42, this);
    uPara_ = Grid(valueModel, 43, this);
    keys_ = new QListWidget(this);
    messages_ = new QListWidget(this);
    mainte_ = new QCheckBox(QStringLiteral("MainteChk"), this);
    superMainte_ = new QCheckBox(QStringLiteral("SuperMainteChk"), this);
    for (QCheckBox* box : {mainte_, superMainte_})
        box->setAttribute(Qt::WA_TransparentForMouseEvents); // they only show the flags

    undo_ = new QListWidget(this);
    redo_ = new QListWidget(this);
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("ParaDat Table"), this), 0, 0, 1, 4);
    layout->addWidget(paraDat_, 1, 0, 1, 4);
    layout->addWidget(new QLabel(QStringLiteral("UPara Table"), this), 2, 0);
    layout->addWidget(new QLabel(QStringLiteral("Undo Table"), this), 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("Language Buffer"), this), 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("Flugs"), this), 2, 3);
    layout->addWidget(uPara_, 3, 0, 3, 1);
    layout->addWidget(undo_, 3, 1);
    layout->addWidget(new QLabel(QStringLiteral("Redo Table"), this), 4, 1);
    layout->addWidget(redo_, 5, 1);
    auto* language = new QHBoxLayout;
    language->addWidget(keys_);
    language->addWidget(messages_, 2);
    layout->addLayout(language, 3, 2, 3, 1);
    auto* marks = new QVBoxLayout;
    marks->addWidget(mainte_);
    marks->addWidget(superMainte_);
    marks->addStretch();
    layout->addLayout(marks, 3, 3, 3, 1);
    layout->setColumnStretch(0, 3);
    layout->setColumnStretch(2, 2);
    layout->setRowStretch(1, 1);
    layout->setRowStretch(3, 1);

    // A row pressed in one grid is chosen and brought to the top in the other.
    const auto follow = [](QTableView* other) {
        return [other](const QModelIndex& index) {
            other->selectRow(index.row());
            other->scrollTo(other->model()->index(index.row(), 0),
                            QAbstractItemView::PositionAtTop);
        };
    };
    connect(paraDat_, &QTableView::pressed, this, follow(uPara_));
    connect(uPara_, &QTableView::pressed, this, follow(paraDat_));
    resize(900, 560);
}

void BufferTableWindow::ShowStores(const QList<std::pair<QString, QString>>& undo,
                                   const QList<std::pair<QString, QString>>& redo) {
    // One line per entry, oldest first: the number and the value before the change.
    for (auto [list, entries] : {std::pair{undo_, &undo}, std::pair{redo_, &redo}}) {
        list->clear();
        for (const auto& [comNo, value] : *entries)
            list->addItem(comNo + QStringLiteral("  ") + value);
    }
}

void BufferTableWindow::Refresh() {
    resetModels_();
    keys_->clear();
    messages_->clear();
    keys_->addItems(IniFile(texts_.LangFile()).ReadSection(QStringLiteral("General")));
    messages_->addItems(texts_.MessageList());
    mainte_->setChecked(flags_.MainteFlag);
    superMainte_->setChecked(flags_.SMainteFlag);
}

void BufferTableWindow::showEvent(QShowEvent* event) {
    Refresh();
    QWidget::showEvent(event);
}

void BufferTableWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT Closed();
    QWidget::closeEvent(event);
}

} // namespace vdk
