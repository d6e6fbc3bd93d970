#pragma once

#include "base/UserDialogs.h"

class QWidget;

namespace vdk {

// The dialog seam on Qt's message boxes and file and colour dialogs. Each
// opens over the active window; `SetParent` names the window used when none
// is active.
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
};

} // namespace vdk
