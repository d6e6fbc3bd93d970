#pragma once

#include "settings/AppPaths.h"

#include <QString>

namespace vdk {

class Catalogue;
class IniFile;

// What the command line asked for; empty fields take the stored selection of
// the settings file, or the first entries of the lists. With no language
// named or stored, the user's locale picks one: Japanese for a locale
// beginning with "ja", else English.
struct SelectionRequest {
    QString language;
    QString typeForm;
    QString cpuVer;
    QString capacity;
    QString locale;
};

// Resolves a request against the settings and the catalogue. On failure the
// result is empty and `error` names what is wrong. Reads only; never writes.
std::optional<InverterIdentity> ResolveSelection(const SelectionRequest& request,
                                                 const IniFile& settings,
                                                 const Catalogue& catalogue, QString& error);

// The languages a fresh settings file would offer when it has none yet.
QStringList LanguagesOf(const IniFile& settings);

} // namespace vdk
