#include "options/EnvironmentOptions.h"

#include "settings/IniFile.h"

#include <cmath>

namespace vdk {

namespace {
const QString kOptions = QStringLiteral("Options");
} // namespace

const OptionField kSnapshotKeepField{"SnapshotKeep", 1, 1000};
const OptionField kUndoMaxField{"UndoMax", 0, 100};
const OptionField kPanelTimeField{"PanelTime1", 0, 1000};
const OptionField kMonValField{"MonVal", 0, 100};
const OptionField kRecordTimeField{"MonMode3T", 30, 1440};
const OptionField kSamplingTimeField{"MonMode3Smp", 10, 300};

namespace {

// Every stored key with its value, in the order of the table.
template <typename Options, typename Visit> void ForEachKey(Options& o, Visit&& visit) {
    visit("CheckLang", o.CheckLang);
    visit("CheckInv", o.CheckInv);
    visit("CheckPrt", o.CheckPrt);
    visit("CheckInvTyp", o.CheckInvTyp);
    visit("Eeprom", o.Eeprom);
    visit("ChgPara1", o.ChgPara1);
    visit("ComDisp", o.ComDisp);
    visit("Result", o.Result);
    visit("CompDisp", o.CompDisp);
    visit("ResultC", o.ResultC);
    visit("ReviewExport", o.ReviewExport);
    visit("ChgPara2", o.ChgPara2);
    visit("SkipFile", o.SkipFile);
    visit("RegistFile", o.RegistFile);
    visit("Entkey", o.Entkey);
    visit("MonKeep", o.MonKeep);
    visit("MonMode2", o.MonMode2);
    visit("MonMode3", o.MonMode3);
    visit("MonMode4", o.MonMode4);
    visit("MonMode5", o.MonMode5);
    visit("MonMode6", o.MonMode6);
    visit("MonMode7", o.MonMode7);
}

} // namespace

void EnvironmentOptions::Load(const IniFile& s) {
    ForEachKey(*this, [&](const char* key, bool& value) {
        value = s.ReadBool(kOptions, QLatin1String(key), value);
    });
    Mainte = s.ReadBool(kOptions, QStringLiteral("Mainte"), Mainte);
    const auto ranged = [&](const OptionField& f, int& value) {
        value = s.ReadIntegerClamped(kOptions, QLatin1String(f.key), value, f.low, f.high);
    };
    ranged(kSnapshotKeepField, SnapshotKeep);
    ranged(kUndoMaxField, UndoMax);
    ranged(kPanelTimeField, PanelTime1);
    ranged(kMonValField, MonVal);
    ranged(kRecordTimeField, MonMode3T);
    ranged(kSamplingTimeField, MonMode3Smp);
    MonMode2Multi =
        s.ReadIntegerClamped(kOptions, QStringLiteral("MonMode2Multi"), MonMode2Multi, 1, 20000);
    MMG = std::max(0, s.ReadInteger(kOptions, QStringLiteral("MMG"), MMG));
    for (auto [key, colour] : {std::pair{"MonBack", &MonBack},
                               {"MCC", &MCC},
                               {"MBC", &MBC},
                               {"MWC", &MWC},
                               {"MTC", &MTC},
                               {"MEC", &MEC}})
        *colour = quint32(s.ReadInteger(kOptions, QLatin1String(key), int(*colour))) & 0xFFFFFF;
    if (!CompDisp && !ResultC)
        ResultC = true; // a file with both off keeps the comparison's result
}

bool EnvironmentOptions::Save(IniFile& s, bool maintenance) const {
    bool ok = true;
    ForEachKey(*this, [&](const char* key, const bool& value) {
        ok = ok && s.WriteBool(kOptions, QLatin1String(key), value);
    });
    if (!maintenance)
        ok = ok && s.WriteBool(kOptions, QStringLiteral("Mainte"), Mainte);
    const std::pair<const char*, int> numbers[] = {{"UndoMax", UndoMax},
                                                   {"PanelTime1", PanelTime1},
                                                   {"SnapshotKeep", SnapshotKeep},
                                                   {"MonBack", int(MonBack)},
                                                   {"MonVal", MonVal},
                                                   {"MonMode2Multi", MonMode2Multi},
                                                   {"MonMode3T", MonMode3T},
                                                   {"MonMode3Smp", MonMode3Smp},
                                                   {"MCC", int(MCC)},
                                                   {"MBC", int(MBC)},
                                                   {"MMG", MMG},
                                                   {"MWC", int(MWC)},
                                                   {"MTC", int(MTC)},
                                                   {"MEC", int(MEC)}};
    for (const auto& [key, value] : numbers)
        ok = ok && s.WriteInteger(kOptions, QLatin1String(key), value);
    return ok;
}

void EnvironmentOptions::LoadSetup(const IniFile& info) {
    Option1 = info.ReadBool(QStringLiteral("Setup"), QStringLiteral("Option1"), false);
    Option2 = info.ReadBool(QStringLiteral("Setup"), QStringLiteral("Option2"), false);
}

void EnvironmentOptions::SetCompDisp(bool on) {
    CompDisp = on;
    if (!on)
        ResultC = true;
}

void EnvironmentOptions::SetResultC(bool on) {
    ResultC = on;
    if (!on)
        CompDisp = true;
}

OptionAvailability AvailabilityOf(const EnvironmentOptions& o, bool hasFc91, bool hasFc90,
                                  bool maintenance) {
    OptionAvailability a;
    a.alarm = hasFc91;
    a.trip = hasFc90;
    a.tripData = hasFc90 && o.MonMode6;
    a.saveResult = o.Option1 || !(o.Result && o.ResultC);
    a.runStop = !o.MonMode3 && (!o.Option2 || maintenance);
    a.runStopHints = a.runStop && o.MonMode4;
    a.multiplier = o.MonMode2;
    a.continuousFields = o.MonMode3;
    return a;
}

MultiplierCheck CheckMultiplier(const QString& text) {
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return {68, 0};
    const double hundredths = std::trunc(number * 100 + (number >= 0 ? 1e-9 : -1e-9));
    if (hundredths < 1)
        return {42, 1};
    if (hundredths > 20000)
        return {42, 20000};
    return {0, int(hundredths)};
}

} // namespace vdk
