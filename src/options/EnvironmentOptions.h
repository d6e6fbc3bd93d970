#pragma once

#include <QString>

namespace vdk {

class IniFile;

// The environment options: one object that owns their values, reads and
// writes them in [Options], and knows which of them are available. The other
// parts read it; the options window renders and edits it.
struct EnvironmentOptions {
    // Start-up and communication.
    bool CheckLang = true, CheckInv = true, CheckPrt = false, CheckInvTyp = false;
    bool Eeprom = true, ChgPara1 = true, ComDisp = false, Result = true, CompDisp = false,
         ResultC = true, Mainte = false;
    // Before an export: the differences shown to choose from, and how many
    // snapshots of the inverter's values are kept per inverter.
    bool ReviewExport = true;
    int SnapshotKeep = 50;
    // Files and the parameter table.
    bool ChgPara2 = false, SkipFile = false, RegistFile = true, Entkey = true;
    int UndoMax = 10;
    // Key pad and monitoring.
    int PanelTime1 = 260;
    bool MonKeep = false;
    quint32 MonBack = 16777215;
    int MonVal = 15;
    bool MonMode2 = false;
    int MonMode2Multi = 100; // the multiplier times 100
    bool MonMode3 = false;
    int MonMode3T = 120, MonMode3Smp = 10;
    bool MonMode4 = false, MonMode5 = true, MonMode6 = true, MonMode7 = true;
    // The master's page.
    quint32 MCC = 16777215, MBC = 14745599;
    int MMG = 50;
    quint32 MWC = 8421504, MTC = 8421504, MEC = 8421504;
    // Not stored.
    int ComChkTimes = 5;
    bool MainteClear = false, DispBuffer = false;
    bool Option1 = false, Option2 = false; // [Setup] of the inverter's Info.ini

    // Values outside their ranges are clamped to them.
    void Load(const IniFile& settings);
    // Writes every stored key; `Mainte` only while maintenance mode is off.
    bool Save(IniFile& settings, bool maintenance) const;
    void LoadSetup(const IniFile& infoIni);

    // The comparison boxes never both go off: unticking one ticks the other.
    void SetCompDisp(bool on);
    void SetResultC(bool on);

    bool operator==(const EnvironmentOptions&) const = default;
};

// Which option controls can be used, from the options and the inverter.
struct OptionAvailability {
    bool alarm = false, trip = false, tripData = false;
    bool saveResult = false;
    bool runStop = false, runStopHints = false;
    bool multiplier = false, continuousFields = false;
};

OptionAvailability AvailabilityOf(const EnvironmentOptions& o, bool hasFc91, bool hasFc90,
                                  bool maintenance);

// A number field of the options window.
struct OptionField {
    const char* key;
    int low;
    int high;
};
extern const OptionField kSnapshotKeepField, kUndoMaxField, kPanelTimeField, kMonValField,
    kRecordTimeField, kSamplingTimeField;

// The multiplier field: a number with two decimals from 0.01 to 200.00,
// stored times 100. Message 68 for text that is no number, 42 for one out of
// range (the value is then the limit).
struct MultiplierCheck {
    int message = 0;
    int stored = 100;
};
MultiplierCheck CheckMultiplier(const QString& text);

} // namespace vdk
