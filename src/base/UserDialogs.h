#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vdk {

enum class MsgIcon { None, Information, Exclamation, Stop, Question };
// StopGoOn answers Abort (Stop) or Ignore (Go on).
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, StopGoOn };
enum class Answer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

// One message box. `number` is the position in the language's message list the
// text came from, or 0 for a text that does not come from the list.
struct Message {
    int number = 0;
    QString text;
    QString caption;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    // The buttons' texts in their order, where the standard ones do not fit.
    QStringList labels = {};
    // The answer Enter gives; unset: the first button's.
    std::optional<Answer> preferred = std::nullopt;
};

// A file dialog request. `filter` uses the "Description|pattern|Description|pattern"
// form of the language files; `filterIndex` is the 1-based entry shown first.
struct FileRequest {
    QString directory;
    QString filter;
    int filterIndex = 1;
    QString defaultExtension;
    QString fileName;
};

struct FileChoice {
    QString path;
    int filterIndex = 1;
};

// Every question the core asks the user goes through this seam, so that the
// core runs without windows and tests can answer from a script.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    virtual Answer ShowMessage(const Message& message) = 0;
    // Empty when the user cancels.
    virtual std::optional<FileChoice> OpenFileName(const FileRequest& request) = 0;
    virtual std::optional<FileChoice> SaveFileName(const FileRequest& request) = 0;
    // Colours are the settings integers (blue in the high byte).
    virtual std::optional<quint32> ChooseColour(quint32 initial) = 0;
};

// For work without a user (the command line, benchmarks): every box is
// answered with Cancel and every dialog cancelled; callers report refusals
// in their own words.
class SilentDialogs final : public UserDialogs {
public:
    Answer ShowMessage(const Message&) override { return Answer::Cancel; }
    std::optional<FileChoice> OpenFileName(const FileRequest&) override { return std::nullopt; }
    std::optional<FileChoice> SaveFileName(const FileRequest&) override { return std::nullopt; }
    std::optional<quint32> ChooseColour(quint32) override { return std::nullopt; }
};

// Splits a "Description|pattern|..." filter into its (description, pattern) pairs;
// a trailing description without a pattern is dropped.
QList<std::pair<QString, QString>> SplitFilter(const QString& filter);

} // namespace vdk
