#pragma once

#include "printing/PageSetup.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QLineEdit;

namespace vdk {

class Messenger;

// "Page Setup": the paper, the header items, the shipment column and the
// value colour, the margins with a small page showing them, the row height
// and the font. Each field is checked as it is left; the dialog closes only
// when every field can be taken, and then writes the set-up back.
class PageSetupDialog final : public QDialog {
    Q_OBJECT
public:
    PageSetupDialog(PageSetup& setup, Messenger& messenger, QWidget* parent = nullptr);

    // Every field checked in order; the first that is refused keeps the focus.
    bool Take();
    QLineEdit* MarginField(int side) const { return margins_[side]; } // top, bottom, left, right

protected:
    void done(int result) override;
    // A margin field with the focus draws its lines red.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString Text(const char* key, const char* def) const;
    // Checks a field as it is left: the message, the text corrected.
    bool CheckField(QLineEdit* field, PageFieldCheck (*check)(const QString&));

    PageSetup& setup_;
    Messenger& messenger_;
    QComboBox* paper_ = nullptr;
    QButtonGroup* orientation_ = nullptr;
    QCheckBox* items_[6] = {};
    QLineEdit* comment_ = nullptr;
    QLabel* value_ = nullptr;
    QLineEdit* margins_[4] = {};
    QLineEdit* rowHeight_ = nullptr;
    QFontComboBox* font_ = nullptr;
    QComboBox* fontSize_ = nullptr;
    QWidget* page_ = nullptr;
    quint32 colour_ = 0;
};

} // namespace vdk
