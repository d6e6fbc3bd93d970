#pragma once

#include "base/UserDialogs.h"
#include "settings/LanguageTexts.h"

namespace vdk {

// Shows list messages through the dialog seam.
class Messenger {
public:
    Messenger(const LanguageTexts& texts, UserDialogs& dialogs)
        : texts_(texts), dialogs_(dialogs) {}
    Answer Show(int n, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok) {
        return dialogs_.ShowMessage(texts_.MakeMessage(n, icon, buttons));
    }
    // A box whose text is built around list message n (lines joined to it).
    Answer ShowText(int n, const QString& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok) {
        Message message = texts_.MakeMessage(n, icon, buttons);
        message.text = text;
        return dialogs_.ShowMessage(message);
    }
    QString Text(int n) const { return texts_.LangMessage(n); }
    const LanguageTexts& Texts() const { return texts_; }
    UserDialogs& Dialogs() { return dialogs_; }

private:
    const LanguageTexts& texts_;
    UserDialogs& dialogs_;
};

} // namespace vdk
