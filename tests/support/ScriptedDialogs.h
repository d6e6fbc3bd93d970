#pragma once

#include "base/UserDialogs.h"

#include <QList>
#include <QQueue>

// Records every message box and answers every question from queues. An empty
// answer queue gives the first button (OK, Yes or Abort); an empty file queue
// cancels the dialog.
class ScriptedDialogs final : public vdk::UserDialogs {
public:
    vdk::Answer ShowMessage(const vdk::Message& message) override;
    std::optional<vdk::FileChoice> OpenFileName(const vdk::FileRequest& request) override;
    std::optional<vdk::FileChoice> SaveFileName(const vdk::FileRequest& request) override;
    std::optional<quint32> ChooseColour(quint32 initial) override;

    // Numbers of the list messages shown, in order (0 for texts not from the list).
    QList<int> Numbers() const;

    QList<vdk::Message> messages;
    QList<vdk::FileRequest> fileRequests;
    QQueue<vdk::Answer> answers;
    QQueue<std::optional<QString>> files; // nullopt = Cancel
    QQueue<std::optional<quint32>> colours;
};
