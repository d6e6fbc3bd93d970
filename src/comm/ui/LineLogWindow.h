#pragma once

#include "comm/LineLogModel.h"

#include <QTimer>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace vdk {

class LanguageTexts;
class Messenger;

// The line log shown live: the newest exchange at the bottom, followed
// unless the user has scrolled up; Pause, Clear, a filter by communication
// number and verdict, the counts, and Save As to CSV. It repaints on a
// capped timer with what is new since its last look, never per exchange.
class LineLogWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 100;

    LineLogWindow(LineLog& log, Messenger& messenger, const LanguageTexts& texts,
                  QWidget* parent = nullptr);

    const LineLogModel& Model() const { return model_; }
    QPushButton* PauseButton() const { return pause_; }
    QPushButton* ClearButton() const { return clear_; }
    QPushButton* SaveButton() const { return save_; }
    QLineEdit* ComNoField() const { return comNo_; }
    QComboBox* VerdictBox() const { return verdict_; }
    QLabel* Status() const { return status_; }
    QTableView* Table() const { return table_; }
    // The folder Save As starts in; the last one saved to after.
    QString saveFolder;

private:
    void Refresh();
    void FilterChanged();
    void SaveAs();
    QString Text(const char* key, const QString& def) const;

    LineLog& log_;
    Messenger& messenger_;
    const LanguageTexts& texts_;
    LineLogModel model_;
    QTimer timer_;
    QTableView* table_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* save_ = nullptr;
    QLineEdit* comNo_ = nullptr;
    QComboBox* verdict_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace vdk
