#pragma once

#include "data/ParameterFile.h"

#include <QString>

namespace vdk {

class AppPaths;
class Catalogue;
class IniFile;
class LanguageTexts;
class ParaDat;
class UPara;
class UserDialogs;

// Why a parameter file given on the command line is refused; each kind has
// its own caption under the common text "Data is incorrect.".
enum class StartFileError { None, FileType, Data, Language };

struct StartFileCheck {
    StartFileError error = StartFileError::None;
    QString detail; // what is wrong, in plain words
    ParameterFile file;
};

QString StartFileCaption(StartFileError error);

// Checks a start file before anything is loaded: the ".vdk" extension, the
// current form, a language the settings list, and a type-form, CPU version and
// capacity the catalogue lists (only those names may become part of a path).
StartFileCheck CheckStartFile(const QString& path, const QStringList& languages,
                              const Catalogue& catalogue);

struct StartContext {
    AppPaths& paths;
    IniFile& settings;
    LanguageTexts& texts;
    UserDialogs& dialogs;
    ParaDat& table;
    UPara& values;
};

// The start from a parameter file: fixes the selection from the file, builds
// the message list, loads the definitions and values and reads the file's
// parameters. False when the start must be aborted (the user has been told).
// `read`, when given, receives what the reading took and what it left out.
bool ReadStartFile(const QString& path, StartContext& context, ReadResult* read = nullptr);

} // namespace vdk
