#pragma once

#include "options/EnvironmentOptions.h"

#include <functional>

namespace vdk {

class CommLink;
class IniFile;
struct ProgramFlags;

// The environment options of the running program and what a change of them
// does. Every part reads its options from the one object this looks after.
class ProgramOptions {
public:
    // Where the options reach out of the core: the file-type registration
    // (on: register, off: unregister) and the buffer window (shown or hidden).
    struct Hooks {
        std::function<void(bool)> registration;
        std::function<void(bool)> bufferWindow;
    };

    ProgramOptions(EnvironmentOptions& options, IniFile& settings, CommLink& link,
                   ProgramFlags& flags, Hooks hooks);

    EnvironmentOptions& Values() { return options_; }

    // Loads the settings and the inverter's setup file; the loaded options
    // react once: the file type is registered and the maintenance parameters
    // are opened when their options are on.
    void Start(const QString& infoIni);
    // After a New selection: maintenance mode ends when "Clear Maintenance
    // Mode" says so, and the buffer window with it; without the inverter
    // check the line settings are read again, as the selection may have
    // stored others.
    void AfterNew();
    // A maintenance login was accepted: the option is on and the access open.
    void MaintenanceLoggedIn();
    // The user closed the buffer window.
    void BufferWindowClosed() { options_.DispBuffer = false; }

    // The options dialog's reactions.
    void UseMaintenance(bool on);
    void UseRegistration(bool on);
    void ShowBuffers(bool on);

private:
    EnvironmentOptions& options_;
    IniFile& settings_;
    CommLink& link_;
    ProgramFlags& flags_;
    Hooks hooks_;
};

} // namespace vdk
