#pragma once

#include <QDialog>

class QComboBox;

namespace vdk {

class StartupSelection;

// The start-up selection window: language, type-form, capacity and CPU
// version over the product picture. Its lists and rules are the
// StartupSelection's; the window shows them and passes the user's choices on.
class StartupDialog final : public QDialog {
    Q_OBJECT
public:
    StartupDialog(StartupSelection& selection, bool forNew, QWidget* parent = nullptr);

    // The selection has no Cancel: Escape leaves the window open rather
    // than taking the lists as they stand.
    void reject() override {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Fill();

    StartupSelection& selection_;
    QComboBox* language_ = nullptr;
    QComboBox* type_ = nullptr;
    QComboBox* capacity_ = nullptr;
    QComboBox* cpu_ = nullptr;
};

} // namespace vdk
