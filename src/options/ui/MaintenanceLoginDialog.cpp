#include "options/ui/MaintenanceLoginDialog.h"

#include "options/Maintenance.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vdk {

MaintenanceLoginDialog::MaintenanceLoginDialog(const MaintenanceCodes& codes, CommLink& link,
                                               Messenger& messenger, ProgramFlags& flags,
                                               const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent), codes_(codes), link_(link), messenger_(messenger), flags_(flags) {
    const auto text = [&](const char* key, const char* def) {
        return texts.LangText(QStringLiteral("Maintenance"), QLatin1String(key),
                              QString::fromLatin1(def));
    };
    setWindowTitle(text("Form", "VDK330Q Maintenance Mode"));
    field_ = new QLineEdit(this);
    field_->setEchoMode(QLineEdit::Password);
    field_->setMaxLength(MaintenanceCodes::kMaxLength);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(text("Button1", "OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(text("Button2", "Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &MaintenanceLoginDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(text("Label", "Input Password."), this));
    layout->addWidget(field_);
    layout->addWidget(buttons);
    setMinimumWidth(300);
}

void MaintenanceLoginDialog::accept() {
    const LoginResult r = MaintenanceLogin(field_->text(), codes_, link_, messenger_, flags_);
    if (!r.accepted)
        return; // another try: the text stays
    level_ = r.level;
    QDialog::accept();
}

} // namespace vdk
