// The numbers of the settings file: whatever it holds, the line settings, the
// options, the monitor set-up and the page setup come out within their
// ranges, and what they save reads back the same.
#include "FuzzFiles.h"
#include "comm/CommSettings.h"
#include "monitor/MonitorSetup.h"
#include "options/EnvironmentOptions.h"
#include "printing/PageSetup.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"

#include <cstdint>

namespace {

constexpr int kItems = 20;
const vdk::InverterIdentity kInverter{QStringLiteral("QM40"), QStringLiteral("-2004"),
                                      QStringLiteral("2.10"), QStringLiteral("English"),
                                      QStringLiteral("Eng")};

struct Settings {
    vdk::CommSettings comms;
    vdk::EnvironmentOptions options;
    vdk::MonitorSetup monitor;
    vdk::PageSetup page;

    void Load(const vdk::IniFile& ini) {
        comms = vdk::LoadCommSettings(ini);
        options.Load(ini);
        monitor.Restore(ini, kInverter, kItems);
        page.Load(ini);
    }
    // Every key saved is a locked and synced rewrite of the file: only the
    // parts that differ from their defaults are saved, to keep the fuzzer
    // quick. The defaults' own round trip is the unit tests' concern.
    bool SaveChanged(vdk::IniFile& ini) const {
        const Settings defaults;
        return (comms == defaults.comms || vdk::SaveCommSettings(ini, comms)) &&
               (options == defaults.options || options.Save(ini, false)) &&
               (monitor == defaults.monitor || monitor.Save(ini, kInverter)) &&
               (page == defaults.page || page.Save(ini));
    }
    bool operator==(const Settings&) const = default;
};

bool Within(int x, int low, int high) {
    return x >= low && x <= high;
}

bool Within(int x, const vdk::OptionField& f) {
    return Within(x, f.low, f.high);
}

// The values other parts take as list indexes, counts and limits.
bool Sound(const Settings& s) {
    const vdk::CommSettings& c = s.comms;
    const vdk::EnvironmentOptions& o = s.options;
    bool ok = Within(c.port.baudIndex, 0, 5) && Within(c.port.parityIndex, 0, 2) &&
              Within(c.port.stopBitsIndex, 0, 2) && Within(c.port.byteSizeIndex, 0, 1) &&
              c.port.portIndex >= 0 && Within(c.id, 0, vdk::CommSettings::kMaxId) &&
              Within(c.delay, vdk::CommSettings::kMinDelay, vdk::CommSettings::kMaxDelay) &&
              !(c.appendNo && c.douhou);
    ok = ok && Within(o.SnapshotKeep, vdk::kSnapshotKeepField) &&
         Within(o.UndoMax, vdk::kUndoMaxField) && Within(o.PanelTime1, vdk::kPanelTimeField) &&
         Within(o.MonVal, vdk::kMonValField) && Within(o.MonMode3T, vdk::kRecordTimeField) &&
         Within(o.MonMode3Smp, vdk::kSamplingTimeField) && Within(o.MonMode2Multi, 1, 20000) &&
         o.MMG >= 0 && (o.CompDisp || o.ResultC);
    for (const vdk::MonitorSlot& slot : s.monitor.slots)
        ok = ok && Within(slot.item, 0, kItems - 1) && Within(slot.multiplier, 1, 100) &&
             Within(slot.offset, 0, 500);
    ok = ok && Within(s.monitor.triggerChannel, 0, vdk::kMonitorSlots - 1) &&
         Within(s.monitor.triggerSlope, 0, 2);
    return ok && Within(s.page.paper, 0, int(vdk::PageSetup::kPapers.size()) - 1) &&
           (s.page.fontSizeText.isEmpty() ||
            vdk::PageSetup::kFontSizes.contains(s.page.fontSizeText));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Settings read;
    read.Load(vdk::IniFile(WriteFuzzFile(QStringLiteral("VDK330Q.ini"), bytes), "windows-31j"));
    if (!Sound(read))
        __builtin_trap();
    const QString saved = FuzzPath(QStringLiteral("saved.ini"));
    QFile::remove(saved);
    vdk::IniFile ini(saved, "windows-31j");
    if (!read.SaveChanged(ini))
        __builtin_trap();
    Settings again;
    again.Load(ini);
    if (!(again == read))
        __builtin_trap(); // what was saved reads back the same
    return 0;
}
