#pragma once

#include "base/UserDialogs.h"

#include <QPointer>

class QWidget;

namespace vdk {

// Qt's own buttons and dialogs (Yes, No, Cancel, the file dialog) in the
// run's language: Qt's translations for the language code ("Jap"), or
// Qt's English for any other. False when they are not installed.
bool UseQtTranslations(const QString& langCode);

// The dialog seam on Qt's message boxes and file and colour dialogs. Each
// opens over the active window, else over the window of the dialog before
// it; `SetParent` names the window used when neither is there.
class QtDialogs final : public UserDialogs {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    Answer ShowMessage(const Message& message) override;
    std::optional<FileChoice> OpenFileName(const FileRequest& request) override;
    std::optional<FileChoice> SaveFileName(const FileRequest& request) override;
    std::optional<quint32> ChooseColour(quint32 initial) override;

private:
    class Owner;
    std::optional<FileChoice> AskFile(const FileRequest& request, bool save);

    QWidget* parent_ = nullptr;
    QPointer<QWidget> lastOwner_;
};

} // namespace vdk
