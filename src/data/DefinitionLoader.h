#pragma once

#include "data/ParaDat.h"

#include <QString>

namespace vdk {

class AppPaths;
class LanguageTexts;
class Messenger;

// Filter of the definition-file dialog before the language texts are applied.
extern const QString kDesignDefinitionFilter;
// The filter in the selected language ([Main] OpenFile2).
QString DefinitionFilter(const LanguageTexts& texts);

// A line of a data file whose values the table cannot use.
struct DataDamage {
    QString file;
    int line = 0; // from 1
    QString text; // the line as read
    QString problem;

    // "FILE, line N: PROBLEM", for callers that report in their own words.
    QString Describe() const;
};

// Loads the definition table of the selected inverter and its capacity
// defaults. A missing file is offered to be picked by hand; every failure is
// told to the user, and the caller aborts the start when a step returns false.
// A file with a value its column cannot hold (a default or a limit that is
// not a whole number, a reference to no parameter) is refused with message
// 68, naming the file and the line.
class DefinitionLoader {
public:
    DefinitionLoader(AppPaths& paths, Messenger& messenger,
                     QString definitionFilter = kDesignDefinitionFilter);

    bool LoadDefinitions(ParaDat& table);
    bool LoadCapacityDefaults(ParaDat& table);

    bool HasParaHelp() const;
    int QuickCount() const;

    // The damaged line behind the last refusal, if that was the cause.
    const std::optional<DataDamage>& Damage() const { return damage_; }

private:
    std::optional<QString> PickFile(int filterIndex);
    bool Refuse(DataDamage damage);

    AppPaths& paths_;
    Messenger& messenger_;
    QString filter_;
    std::optional<DataDamage> damage_;
};

// The default value text of a parameter, following `DIndex` references. A
// reference that cannot be resolved shows message 33 and gives "Error.".
QString DefaultOf(const ParaDat& table, QStringView comNo, Messenger& messenger);

} // namespace vdk
