#include "editor/ui/FindDialog.h"

#include "settings/LanguageTexts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vdk {

FindDialog::FindDialog(const LanguageTexts& texts, QWidget* parent) : QDialog(parent) {
    const auto tr = [&texts](const char* key, const char* def) {
        return texts.LangText(QStringLiteral("Find"), QLatin1String(key), QLatin1String(def));
    };
    setWindowTitle(tr("Caption", "Find"));
    setModal(false);
    text_ = new QLineEdit(this);
    text_->setMinimumWidth(220);
    wholeWord_ = new QCheckBox(tr("WholeWord", "Match &whole word only"), this);
    matchCase_ = new QCheckBox(tr("MatchCase", "Match &case"), this);
    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    find_ = buttons->addButton(tr("FindNext", "&Find Next"), QDialogButtonBox::ActionRole);
    find_->setDefault(true);
    buttons->addButton(tr("Cancel", "Cancel"), QDialogButtonBox::RejectRole);

    auto* form = new QFormLayout;
    form->addRow(tr("FindWhat", "Fi&nd what:"), text_);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(wholeWord_);
    left->addWidget(matchCase_);
    left->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(buttons);

    connect(find_, &QPushButton::clicked, this, &FindDialog::FindNext);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    connect(text_, &QLineEdit::textChanged, this,
            [this](const QString& t) { find_->setEnabled(!t.isEmpty()); });
    find_->setEnabled(false);
}

void FindDialog::SetText(const QString& text) {
    text_->setText(text);
    text_->selectAll();
    text_->setFocus();
}

QString FindDialog::Text() const {
    return text_->text();
}

bool FindDialog::MatchCase() const {
    return matchCase_->isChecked();
}

bool FindDialog::WholeWord() const {
    return wholeWord_->isChecked();
}

void FindDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    Q_EMIT Closed();
}

} // namespace vdk
