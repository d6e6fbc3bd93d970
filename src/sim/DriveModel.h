#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace vdk {

// The motor side of the simulated inverter: a run command, a frequency
// command, an output frequency that ramps toward it, and a trip that stops
// everything until it is reset.
class DriveModel {
public:
    struct Ramp {
        double maxHz;        // the frequency the ramp times refer to
        double accelSeconds; // from 0 to maxHz
        double decelSeconds; // from maxHz to 0
    };

    void Run();
    void Stop();
    void Trip(int code);
    void ResetTrip() { trip_ = 0; }
    void SetCommand(double hz) { command_ = hz; }
    // The MON key: the panel shows the output frequency, then the frequency
    // command (with the MON lamp), and back.
    void NextDisplay() { showCommand_ = !showCommand_; }

    // Moves the output frequency `ms` milliseconds further along its ramp.
    void Advance(qint64 ms, const Ramp& ramp);

    double Command() const { return command_; }
    double Output() const { return output_; }
    bool Accelerating() const { return accelerating_; }
    // Told to run, or still turning down after a stop.
    bool Running() const { return runCommand_ || output_ > 0; }
    bool Tripped() const { return trip_ != 0; }
    int TripCode() const { return trip_; }

    // The panel display block: frame A shows the output frequency (or the
    // command), frame B the same or, after a trip, "E" and the trip code;
    // the RUN lamp is lit while the drive runs.
    QByteArray PanelBlock() const;

private:
    bool runCommand_ = false;
    double command_ = 0;
    double output_ = 0;
    bool accelerating_ = false;
    int trip_ = 0;
    bool showCommand_ = false;
};

} // namespace vdk
