#pragma once

#include "data/ParaDat.h"

#include <QString>

namespace vdk {

class AppPaths;
class Messenger;

// Filter of the definition-file dialog before the language texts are applied.
extern const QString kDesignDefinitionFilter;

// Loads the definition table of the selected inverter and its capacity
// defaults. A missing file is offered to be picked by hand; every failure is
// told to the user, and the caller aborts the start when a step returns false.
class DefinitionLoader {
public:
    DefinitionLoader(AppPaths& paths, Messenger& messenger,
                     QString definitionFilter = kDesignDefinitionFilter);

    bool LoadDefinitions(ParaDat& table);
    bool LoadCapacityDefaults(ParaDat& table);

    bool HasParaHelp() const;
    int QuickCount() const;

private:
    std::optional<QString> PickFile(int filterIndex);

    AppPaths& paths_;
    Messenger& messenger_;
    QString filter_;
};

// The default value text of a parameter, following `DIndex` references. A
// reference that cannot be resolved shows message 33 and gives "Error.".
QString DefaultOf(const ParaDat& table, QStringView comNo, Messenger& messenger);

// Message numbers used here.
enum DefinitionMessage {
    kMsgNoDefinitionFile = 7,
    kMsgNoCapacityFile = 8,
    kMsgOtherTypeForm = 10,
    kMsgBadReference = 33,
    kMsgLoadCancelled = 86,
};

} // namespace vdk
