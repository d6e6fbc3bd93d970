#include "options/ProgramOptions.h"

#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "options/Maintenance.h"
#include "settings/IniFile.h"

namespace vdk {

ProgramOptions::ProgramOptions(EnvironmentOptions& options, IniFile& settings, CommLink& link,
                               ProgramFlags& flags, Hooks hooks)
    : options_(options), settings_(settings), link_(link), flags_(flags), hooks_(std::move(hooks)) {
}

void ProgramOptions::Start(const QString& infoIni) {
    options_.Load(settings_);
    options_.LoadSetup(IniFile(infoIni));
    if (options_.RegistFile)
        UseRegistration(true);
    if (options_.Mainte)
        UseMaintenance(true);
}

void ProgramOptions::AfterNew() {
    if (flags_.MainteFlag && options_.MainteClear) {
        flags_.MainteFlag = flags_.SMainteFlag = false;
        options_.DispBuffer = false;
        ShowBuffers(false);
    }
    if (!options_.CheckInv)
        link_.settings = LoadCommSettings(settings_);
}

void ProgramOptions::MaintenanceLoggedIn() {
    options_.Mainte = true;
    UseMaintenance(true);
}

void ProgramOptions::UseMaintenance(bool on) {
    UseMaintenanceMode(link_, on);
}

void ProgramOptions::UseRegistration(bool on) {
    if (hooks_.registration)
        hooks_.registration(on);
}

void ProgramOptions::ShowBuffers(bool on) {
    if (hooks_.bufferWindow)
        hooks_.bufferWindow(on);
}

} // namespace vdk
