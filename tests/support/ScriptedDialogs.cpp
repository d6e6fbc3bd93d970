#include "ScriptedDialogs.h"

using namespace vdk;

Answer ScriptedDialogs::ShowMessage(const Message& message) {
    messages.append(message);
    if (!answers.isEmpty())
        return answers.dequeue();
    switch (message.buttons) {
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return Answer::Yes;
    case MsgButtons::AbortRetryIgnore:
    case MsgButtons::StopGoOn:
        return Answer::Abort;
    default:
        return Answer::Ok;
    }
}

std::optional<FileChoice> ScriptedDialogs::OpenFileName(const FileRequest& request) {
    fileRequests.append(request);
    const auto next = files.isEmpty() ? std::nullopt : files.dequeue();
    if (!next)
        return std::nullopt;
    return FileChoice{*next, request.filterIndex};
}

std::optional<FileChoice> ScriptedDialogs::SaveFileName(const FileRequest& request) {
    return OpenFileName(request);
}

std::optional<quint32> ScriptedDialogs::ChooseColour(quint32) {
    return colours.isEmpty() ? std::nullopt : colours.dequeue();
}

QList<int> ScriptedDialogs::Numbers() const {
    QList<int> numbers;
    for (const Message& m : messages)
        numbers.append(m.number);
    return numbers;
}
