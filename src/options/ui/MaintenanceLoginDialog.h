#pragma once

#include <QDialog>

class QLineEdit;

namespace vdk {

class CommLink;
class LanguageTexts;
class MaintenanceCodes;
class Messenger;
struct ProgramFlags;

// The maintenance password dialog: a ten-character field shown as stars; OK
// (or Enter) runs the login, which keeps the dialog open on a refusal.
class MaintenanceLoginDialog final : public QDialog {
    Q_OBJECT
public:
    MaintenanceLoginDialog(const MaintenanceCodes& codes, CommLink& link, Messenger& messenger,
                           ProgramFlags& flags, const LanguageTexts& texts,
                           QWidget* parent = nullptr);

    int Level() const { return level_; }
    QLineEdit* Field() const { return field_; }

    void accept() override;

private:
    const MaintenanceCodes& codes_;
    CommLink& link_;
    Messenger& messenger_;
    ProgramFlags& flags_;
    QLineEdit* field_ = nullptr;
    int level_ = 0;
};

} // namespace vdk
