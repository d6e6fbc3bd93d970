#include "app/ui/QtDialogs.h"

#include "base/ui/SettingsColour.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTranslator>

namespace vdk {

namespace {

QMessageBox::Icon IconOf(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Stop:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MsgButtons::StopGoOn:
        return QMessageBox::Abort | QMessageBox::Ignore;
    case MsgButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

Answer AnswerOf(int button) {
    switch (button) {
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Abort:
        return Answer::Abort;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ignore:
        return Answer::Ignore;
    default:
        return Answer::Ok;
    }
}

// "Description|pattern|..." as Qt's ";;"-separated filter list.
QStringList QtFilters(const QString& filter) {
    QStringList filters;
    for (const auto& [description, pattern] : SplitFilter(filter))
        filters.append(description.contains(pattern)
                           ? description
                           : description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    return filters;
}

} // namespace

bool UseQtTranslations(const QString& langCode) {
    static QTranslator translator;
    QCoreApplication::removeTranslator(&translator);
    if (langCode != QLatin1String("Jap"))
        return true;
    if (!translator.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

// A box belongs to the window the user was working in: it opens over that
// window and, once closed, gives the keyboard back to the control that had
// it, so typing goes on where it was.
class QtDialogs::Owner {
public:
    // Between two dialogs in a row no window is active yet; the second one
    // belongs where the first did.
    explicit Owner(QtDialogs& dialogs)
        : focus_(QApplication::focusWidget()), window_(QApplication::activeModalWidget()) {
        if (!window_)
            window_ = QApplication::activeWindow();
        if (!window_ && dialogs.lastOwner_ && dialogs.lastOwner_->isVisible())
            window_ = dialogs.lastOwner_;
        if (!window_)
            window_ = dialogs.parent_;
        dialogs.lastOwner_ = window_;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    ~Owner() {
        if (window_) {
            window_->activateWindow();
            window_->raise();
        }
        if (focus_)
            focus_->setFocus(Qt::PopupFocusReason);
    }
    QWidget* Window() const { return window_; }

private:
    QPointer<QWidget> focus_;
    QPointer<QWidget> window_;
};

Answer QtDialogs::ShowMessage(const Message& m) {
    const Owner owner(*this);
    QMessageBox box(IconOf(m.icon), m.caption, m.text, ButtonsOf(m.buttons), owner.Window());
    // The labels follow the order of Qt's standard buttons, which is the
    // order MsgButtons names them in.
    QList<QMessageBox::StandardButton> order;
    for (int b = QMessageBox::FirstButton; b <= QMessageBox::LastButton; b <<= 1)
        if (ButtonsOf(m.buttons) & b)
            order.append(QMessageBox::StandardButton(b));
    for (int i = 0; i < order.size() && i < m.labels.size(); ++i)
        box.button(order[i])->setText(m.labels[i]);
    if (m.preferred)
        for (QMessageBox::StandardButton b : std::as_const(order))
            if (AnswerOf(b) == *m.preferred)
                box.setDefaultButton(b);
    return AnswerOf(box.exec());
}

std::optional<FileChoice> QtDialogs::AskFile(const FileRequest& request, bool save) {
    const QStringList filters = QtFilters(request.filter);
    const Owner owner(*this);
    QFileDialog dialog(owner.Window(), QString(), request.directory);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return FileChoice{dialog.selectedFiles().first(),
                      int(filters.indexOf(dialog.selectedNameFilter())) + 1};
}

std::optional<FileChoice> QtDialogs::OpenFileName(const FileRequest& request) {
    return AskFile(request, false);
}

std::optional<FileChoice> QtDialogs::SaveFileName(const FileRequest& request) {
    return AskFile(request, true);
}

std::optional<quint32> QtDialogs::ChooseColour(quint32 initial) {
    const Owner owner(*this);
    const QColor chosen = QColorDialog::getColor(ColourOf(initial), owner.Window());
    if (!chosen.isValid())
        return std::nullopt;
    return SettingsColourOf(chosen);
}

} // namespace vdk
