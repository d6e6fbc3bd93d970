#include "settings/LanguageTexts.h"

#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/MessageIds.h"

#include <QFileInfo>

namespace vdk {

namespace {
const QString kGeneral = QStringLiteral("General");
const QString kConfirmation = QStringLiteral("Confirmation");
const QString kClosed = QStringLiteral("VDK330Q is closed.");
} // namespace

void LanguageTexts::SetLangFile(const QString& path, const QByteArray& fallbackEncoding) {
    langFile_ = path;
    fallbackEncoding_ = fallbackEncoding;
}

QString LanguageTexts::LangText(const QString& section, const QString& key,
                                const QString& def) const {
    return IniFile(langFile_, fallbackEncoding_).ReadString(section, key, def);
}

QStringList LanguageTexts::LangKeys(const QString& section) const {
    return IniFile(langFile_, fallbackEncoding_).ReadSection(section);
}

bool LanguageTexts::LoadMessageList() {
    messages_ = IniFile(langFile_, fallbackEncoding_).ReadSectionValues(kGeneral);
    return !messages_.isEmpty();
}

QString LanguageTexts::LangMessage(int n) const {
    return n >= 1 && n <= messages_.size() ? messages_.at(n - 1) : QString();
}

Message LanguageTexts::MakeMessage(int n, MsgIcon icon, MsgButtons buttons) const {
    const QString caption = messages_.isEmpty() ? kConfirmation : LangMessage(kMsgCaption);
    return Message{n, LangMessage(n), caption, icon, buttons};
}

bool EnsureFirstStartKeys(IniFile& settings) {
    const QString section = QStringLiteral("Language");
    if (settings.ReadInteger(section, QStringLiteral("Japanese"), 999) != 999)
        return true;
    return settings.WriteInteger(section, QStringLiteral("Japanese"), 0) &&
           settings.WriteInteger(section, QStringLiteral("English"), 0);
}

bool DecimalCommaOf(const IniFile& settings, const QString& language) {
    return settings.ReadBool(QStringLiteral("Language"), language, false);
}

bool BuildMessageList(AppPaths& paths, LanguageTexts& texts, UserDialogs& dialogs) {
    const auto say = [&](const QString& text) {
        dialogs.ShowMessage(Message{0, text, kConfirmation, MsgIcon::Exclamation, MsgButtons::Ok});
    };
    if (!QFileInfo::exists(paths.LangFile)) {
        say(QStringLiteral("Not found Language data file."));
        const auto choice = dialogs.OpenFileName(FileRequest{
            paths.LangDir, QStringLiteral("Language Data (*.ini)|*.ini|All Files (*.*)|*.*"), 1,
            QStringLiteral("ini"), QString()});
        if (!choice || choice->path.isEmpty()) {
            say(kClosed);
            return false;
        }
        paths.UseLanguageFile(choice->path);
    }
    texts.SetLangFile(paths.LangFile, paths.FallbackEncoding());
    if (!texts.LoadMessageList()) {
        say(QStringLiteral("Selected Language data file is not valid.\n") + kClosed);
        return false;
    }
    return true;
}

} // namespace vdk
