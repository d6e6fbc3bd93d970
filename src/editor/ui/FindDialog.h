#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vdk {

class LanguageTexts;

// The modeless find dialog of the table: search text, whole words, match case.
// Searches always go forward, so it offers no direction.
class FindDialog final : public QDialog {
    Q_OBJECT
public:
    // Texts from [Find] of the language file, in the platform's usual words.
    FindDialog(const LanguageTexts& texts, QWidget* parent);

    void SetText(const QString& text);
    QString Text() const;
    bool MatchCase() const;
    bool WholeWord() const;

Q_SIGNALS:
    void FindNext();
    void Closed();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    QLineEdit* text_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QPushButton* find_ = nullptr;
};

} // namespace vdk
