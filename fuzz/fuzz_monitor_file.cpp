// Monitor files of both forms: any bytes are either refused with the damaged
// line named or read whole, and what is read writes a file that reads back
// the same; the CSV table of it is made in both separators.
#include "monitor/MonitorFile.h"

#include <cstdint>

namespace {

constexpr int kItems = 20;

bool SameSetup(const vdk::MonitorRecordSetup& a, const vdk::MonitorRecordSetup& b) {
    return a.item == b.item && a.multiplier == b.multiplier && a.offset == b.offset &&
           a.selected == b.selected && a.fullScale == b.fullScale && a.alarm == b.alarm &&
           a.trip == b.trip && a.stopAtTrip == b.stopAtTrip &&
           a.trigger.source == b.trigger.source && a.trigger.slope == b.trigger.slope &&
           a.trigger.level == b.trigger.level && a.trigger.delay == b.trigger.delay &&
           a.trigger.use == b.trigger.use;
}

// What the windows and the writers index without a check.
bool Sound(const vdk::MonitorRecord& r) {
    const vdk::MonitorRecordSetup& s = r.setup;
    if (r.SampleCount() > 1251 || !(s.timeBaseSeconds > 0) || s.trigger.source < 0 ||
        s.trigger.source >= vdk::kMonitorSlots || s.trigger.slope < 0 || s.trigger.slope > 2)
        return false;
    for (int slot = 0; slot < vdk::kMonitorSlots; ++slot)
        if (r.values[slot].size() != r.SampleCount() || s.item[slot] < 0 ||
            s.item[slot] >= kItems || s.multiplier[slot] < 1 || s.multiplier[slot] > 100 ||
            s.offset[slot] < 0 || s.offset[slot] > 500)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    int badLine = 0;
    const std::optional<vdk::MonitorFile> file = vdk::ParseMonitorFile(bytes, kItems, &badLine);
    if (!file) {
        if (badLine < 1)
            __builtin_trap(); // a refusal names the line
        return 0;
    }
    if (!Sound(file->record))
        __builtin_trap();
    const QByteArray written = vdk::MonitorFileBytes(file->record, file->inverter);
    const std::optional<vdk::MonitorFile> back = vdk::ParseMonitorFile(written, kItems, &badLine);
    if (!back)
        __builtin_trap(); // what the program wrote it must read
    // The values and the time base are written with fixed decimals: after
    // one round they must stay as they are.
    const vdk::MonitorFileInverter& a = back->inverter;
    const vdk::MonitorFileInverter& b = file->inverter;
    if (back->earlier || a.typeForm != b.typeForm || a.capacity != b.capacity ||
        a.cpuVer != b.cpuVer || back->record.elapsedMs != file->record.elapsedMs ||
        back->record.errors != file->record.errors ||
        !SameSetup(back->record.setup, file->record.setup) ||
        vdk::MonitorFileBytes(back->record, back->inverter) != written)
        __builtin_trap();
    const QStringList names(vdk::kMonitorSlots, QStringLiteral("Item"));
    for (const bool decimalComma : {false, true})
        vdk::MonitorCsvTable(file->record, file->inverter.typeForm + file->inverter.capacity, names,
                             {}, decimalComma);
    return 0;
}
