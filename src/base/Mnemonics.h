#pragma once

#include <QStringList>

namespace vdk {

// The texts of one menu (or of the menu bar) with an Alt-letter each: the
// first letter of a word not taken yet, else any letter not taken. Texts
// that already carry a "&", or have no Latin letter (Japanese menus), stay
// as they are.
QStringList WithMnemonics(const QStringList& texts);

} // namespace vdk
