#pragma once

#include "base/UserDialogs.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vdk {

class AppPaths;
class IniFile;

// Texts of the selected language: lookups by section and key with a built-in
// English default, and the numbered message list of [General].
class LanguageTexts {
public:
    void SetLangFile(const QString& path, const QByteArray& fallbackEncoding);
    const QString& LangFile() const { return langFile_; }

    // A missing file or key gives `def`.
    QString LangText(const QString& section, const QString& key, const QString& def) const;
    // The keys of a section in file order; empty when the file or section is missing.
    QStringList LangKeys(const QString& section) const;

    // Builds the list from the keys of [General], in file order: message n is
    // the n-th line, whatever its key is called. False when there is none.
    bool LoadMessageList();
    const QStringList& MessageList() const { return messages_; }
    // Message n, counted from 1; empty beyond the end of the list.
    QString LangMessage(int n) const;

    // A message box of list message n with the list's caption.
    Message MakeMessage(int n, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok) const;

private:
    QString langFile_;
    QByteArray fallbackEncoding_;
    QStringList messages_;
};

// First start: a settings file without [Language] `Japanese` gets the two
// shipped languages, Japanese first. False when the file cannot be written.
bool EnsureFirstStartKeys(IniFile& settings);

// The language's decimal-comma flag from the settings file.
bool DecimalCommaOf(const IniFile& settings, const QString& language);

// The start step that fixes the language files of the run: finds the language
// file (asking for another one when it is missing) and builds the message list.
// False when the start must be aborted.
bool BuildMessageList(AppPaths& paths, LanguageTexts& texts, UserDialogs& dialogs);

} // namespace vdk
