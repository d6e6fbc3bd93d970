#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;
class QListWidget;
class QTableView;

namespace vdk {

class LanguageTexts;
class ParaDat;
class UPara;
struct ProgramFlags;

// "Parameters": the hidden data tables shown as they are, for service staff.
// The grids are views over the live definition and value tables, not copies;
// a row chosen in one grid is chosen in the other.
class BufferTableWindow final : public QWidget {
    Q_OBJECT
public:
    BufferTableWindow(const ParaDat& table, const UPara& values, const LanguageTexts& texts,
                      const ProgramFlags& flags, QWidget* parent = nullptr);

    // After the tables were rebuilt (a new selection, a file).
    void Refresh();
    // The undo and redo stores of the table: number and earlier value per entry.
    void ShowStores(const QList<std::pair<QString, QString>>& undo,
                    const QList<std::pair<QString, QString>>& redo);
    QTableView* ParaDatGrid() const { return paraDat_; }
    QTableView* UParaGrid() const { return uPara_; }

Q_SIGNALS:
    // The window was closed: the option that shows it goes off.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    const LanguageTexts& texts_;
    const ProgramFlags& flags_;
    QTableView* paraDat_ = nullptr;
    QTableView* uPara_ = nullptr;
    QCheckBox* mainte_ = nullptr;
    QCheckBox* superMainte_ = nullptr;
    QListWidget* keys_ = nullptr;
    QListWidget* messages_ = nullptr;
    QListWidget* undo_ = nullptr;
    QListWidget* redo_ = nullptr;
    std::function<void()> resetModels_;
};

} // namespace vdk
