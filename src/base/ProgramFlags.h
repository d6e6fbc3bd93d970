#pragma once

namespace vdk {

// The few program-wide flags; one instance is owned by the application and
// passed by reference to whoever reads or sets them.
struct ProgramFlags {
    bool StartAborted = false; // a start step failed or was cancelled: close at first show
    bool MainteFlag = false;   // maintenance level logged in (never stored)
    bool SMainteFlag = false;  // master level logged in (never stored)
    bool MonitorBusy = false;  // a monitor run is in progress
};

} // namespace vdk
