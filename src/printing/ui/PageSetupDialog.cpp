#include "printing/ui/PageSetupDialog.h"

#include "base/ui/SettingsColour.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vdk {

namespace {

const QString kSection = QStringLiteral("PrintSet");

// The page in small, one pixel a millimetre, with its margins.
class PagePicture final : public QWidget {
public:
    PagePicture(const QButtonGroup* orientation, QLineEdit* const* margins)
        : orientation_(orientation), margins_(margins) {
        setFixedSize(160, 160);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const bool portrait = orientation_->checkedId() != 1;
        const QRect page((width() - (portrait ? 115 : 150)) / 2,
                         (height() - (portrait ? 150 : 115)) / 2, portrait ? 115 : 150,
                         portrait ? 150 : 115);
        p.fillRect(page, Qt::white);
        p.setPen(Qt::gray);
        p.drawRect(page.adjusted(0, 0, -1, -1));
        const auto mm = [&](int side) {
            const PageFieldCheck c = CheckMargin(margins_[side]->text());
            return c.Valid() ? int(c.shown.toDouble()) : 0;
        };
        p.setPen(margins_[0]->hasFocus() || margins_[1]->hasFocus() ? Qt::red : Qt::black);
        p.drawLine(page.left(), page.top() + mm(0), page.right(), page.top() + mm(0));
        p.drawLine(page.left(), page.bottom() - mm(1), page.right(), page.bottom() - mm(1));
        p.setPen(margins_[2]->hasFocus() || margins_[3]->hasFocus() ? Qt::red : Qt::black);
        p.drawLine(page.left() + mm(2), page.top(), page.left() + mm(2), page.bottom());
        p.drawLine(page.right() - mm(3), page.top(), page.right() - mm(3), page.bottom());
    }

private:
    const QButtonGroup* orientation_;
    QLineEdit* const* margins_;
};

} // namespace

PageSetupDialog::PageSetupDialog(PageSetup& setup, Messenger& messenger, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), setup_(setup),
      messenger_(messenger), colour_(setup.valueColour) {
    setWindowTitle(Text("Form", "Page Setup"));

    auto* paperBox = new QGroupBox(Text("Label1", "Paper"));
    auto* paper = new QGridLayout(paperBox);
    paper_ = new QComboBox;
    paper_->addItems(PageSetup::kPapers);
    paper_->setCurrentIndex(setup.paper);
    orientation_ = new QButtonGroup(this);
    auto* portrait = new QRadioButton(Text("Radio11", "Portrait"));
    auto* landscape = new QRadioButton(Text("Radio12", "Landscape"));
    orientation_->addButton(portrait, 0);
    orientation_->addButton(landscape, 1);
    (setup.portrait ? portrait : landscape)->setChecked(true);
    paper->addWidget(new QLabel(Text("Label11", "Size")), 0, 0);
    paper->addWidget(paper_, 0, 1);
    paper->addWidget(new QLabel(Text("Label12", "Orientation")), 1, 0);
    paper->addWidget(portrait, 1, 1);
    paper->addWidget(landscape, 2, 1);

    auto* itemsBox = new QGroupBox(Text("Label2", "Items"));
    auto* items = new QGridLayout(itemsBox);
    const char* names[][2] = {{"Check21", "Date"},
                              {"Check22", "Time"},
                              {"Check23", "Selected Inverter's Type-Form"},
                              {"Check24", "Page No."},
                              {"Check25", "Comments"},
                              {"Check26", "Shipment Value"}};
    const bool states[] = {setup.date,   setup.time,    setup.typeForm,
                           setup.pageNo, setup.comment, setup.shipment};
    for (int i = 0; i < 6; ++i) {
        items_[i] = new QCheckBox(Text(names[i][0], names[i][1]));
        items_[i]->setChecked(states[i]);
    }
    comment_ = new QLineEdit(setup.commentText);
    comment_->setMaxLength(90);
    comment_->setMinimumWidth(320);
    // The comment is greyed while it is not printed; it stays editable, as it
    // is also the parameter file's comment.
    const auto shade = [this](bool printed) {
        QPalette palette = comment_->palette();
        palette.setColor(QPalette::Text, printed ? QColor(Qt::black) : QColor(Qt::gray));
        comment_->setPalette(palette);
    };
    shade(setup.comment);
    connect(items_[4], &QCheckBox::toggled, this, shade);
    auto* colour = new QPushButton(Text("Button2", "'Value' Color"));
    value_ = new QLabel(Text("Panel2", "Value"));
    value_->setFrameShape(QFrame::Panel);
    value_->setFrameShadow(QFrame::Sunken);
    value_->setAlignment(Qt::AlignCenter);
    value_->setStyleSheet(
        QStringLiteral("color: %1; font-weight: bold;").arg(ColourOf(colour_).name()));
    connect(colour, &QPushButton::clicked, this, [this] {
        if (const auto chosen = messenger_.Dialogs().ChooseColour(colour_)) {
            colour_ = *chosen;
            value_->setStyleSheet(
                QStringLiteral("color: %1; font-weight: bold;").arg(ColourOf(colour_).name()));
        }
    });
    for (int i = 0; i < 4; ++i)
        items->addWidget(items_[i], i / 2, i % 2);
    items->addWidget(items_[4], 2, 0);
    items->addWidget(comment_, 3, 0, 1, 2);
    items->addWidget(new QLabel(Text("Label21", "90 characters max.")), 4, 0, 1, 2);
    items->addWidget(items_[5], 5, 0);
    items->addWidget(colour, 6, 0);
    items->addWidget(value_, 6, 1);

    auto* detailBox = new QGroupBox(Text("Label3", "Detail"));
    auto* detail = new QGridLayout(detailBox);
    const char* sides[][2] = {{"Label31", "Top margins"},
                              {"Label32", "Bottom margins"},
                              {"Label33", "Left margins"},
                              {"Label34", "Right margins"}};
    const QString texts[] = {setup.top, setup.bottom, setup.left, setup.right};
    page_ = new PagePicture(orientation_, margins_);
    for (int i = 0; i < 4; ++i) {
        margins_[i] = new QLineEdit(texts[i]);
        margins_[i]->setMaximumWidth(60);
        margins_[i]->installEventFilter(this);
        connect(margins_[i], &QLineEdit::editingFinished, this, [this, i] {
            CheckField(margins_[i], CheckMargin);
            page_->update();
        });
        connect(margins_[i], &QLineEdit::textChanged, page_, [this] { page_->update(); });
        detail->addWidget(new QLabel(Text(sides[i][0], sides[i][1])), i, 0);
        detail->addWidget(margins_[i], i, 1);
        detail->addWidget(new QLabel(QStringLiteral("(mm)")), i, 2);
    }
    rowHeight_ = new QLineEdit(setup.rowHeight);
    rowHeight_->setMaximumWidth(60);
    connect(rowHeight_, &QLineEdit::editingFinished, this,
            [this] { CheckField(rowHeight_, CheckRowHeight); });
    font_ = new QFontComboBox;
    font_->setEditable(false); // only installed fonts can be chosen
    if (!setup.fontFamily.isEmpty())
        font_->setCurrentFont(QFont(setup.fontFamily));
    fontSize_ = new QComboBox;
    fontSize_->setEditable(true);
    fontSize_->addItems(PageSetup::kFontSizes);
    fontSize_->setCurrentText(setup.fontSizeText);
    fontSize_->lineEdit()->setMaxLength(2);
    connect(fontSize_->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { CheckField(fontSize_->lineEdit(), CheckFontSize); });
    detail->addWidget(new QLabel(Text("Label35", "Hight of Cells")), 4, 0);
    detail->addWidget(rowHeight_, 4, 1);
    detail->addWidget(new QLabel(QStringLiteral("(point)")), 4, 2);
    detail->addWidget(new QLabel(Text("Label36", "Font")), 5, 0);
    detail->addWidget(font_, 5, 1, 1, 3);
    detail->addWidget(new QLabel(Text("Label37", "Font size")), 6, 0);
    detail->addWidget(fontSize_, 6, 1);
    detail->addWidget(new QLabel(QStringLiteral("(point)")), 6, 2);
    detail->addWidget(page_, 0, 4, 5, 1, Qt::AlignCenter);
    connect(orientation_, &QButtonGroup::idClicked, page_, [this] { page_->update(); });

    // Qt's own Close button, in the run's language.
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* top = new QHBoxLayout;
    top->addWidget(paperBox);
    top->addWidget(itemsBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(detailBox);
    layout->addWidget(close);
}

QString PageSetupDialog::Text(const char* key, const char* def) const {
    return messenger_.Texts().LangText(kSection, QLatin1String(key), QString::fromUtf8(def));
}

bool PageSetupDialog::CheckField(QLineEdit* field, PageFieldCheck (*check)(const QString&)) {
    const PageFieldCheck c = check(field->text());
    if (c.Valid())
        return true;
    field->setText(c.shown);
    messenger_.Show(c.message, MsgIcon::Stop);
    field->setFocus();
    field->selectAll();
    return false;
}

bool PageSetupDialog::Take() {
    for (QLineEdit* margin : margins_)
        if (!CheckField(margin, CheckMargin))
            return false;
    if (!CheckField(rowHeight_, CheckRowHeight) ||
        !CheckField(fontSize_->lineEdit(), CheckFontSize))
        return false;
    setup_.paper = paper_->currentIndex();
    setup_.portrait = orientation_->checkedId() != 1;
    bool* flags[] = {&setup_.date,   &setup_.time,    &setup_.typeForm,
                     &setup_.pageNo, &setup_.comment, &setup_.shipment};
    for (int i = 0; i < 6; ++i)
        *flags[i] = items_[i]->isChecked();
    setup_.commentText = comment_->text();
    setup_.valueColour = colour_;
    setup_.top = margins_[0]->text().trimmed();
    setup_.bottom = margins_[1]->text().trimmed();
    setup_.left = margins_[2]->text().trimmed();
    setup_.right = margins_[3]->text().trimmed();
    setup_.rowHeight = rowHeight_->text().trimmed();
    setup_.font = font_->currentIndex();
    setup_.fontFamily = font_->currentFont().family();
    setup_.fontSizeText = fontSize_->currentText().trimmed();
    return true;
}

bool PageSetupDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        page_->update();
    return QDialog::eventFilter(watched, event);
}

// Closing, by the button, Escape or the close box, takes the fields first.
void PageSetupDialog::done(int result) {
    if (Take())
        QDialog::done(result);
}

} // namespace vdk
