#include "app/StartupSelection.h"

#include "base/UserDialogs.h"
#include "data/Catalogue.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"

namespace vdk {

namespace {
const QString kDefault = QStringLiteral("Default");
const QString kComms = QStringLiteral("Comms");
constexpr int kNone = 999;

int Bounded(int index, const QStringList& list) {
    return index >= 0 && index < list.size() ? index : 0;
}
} // namespace

StartupSelection::StartupSelection(AppPaths& paths, IniFile& settings)
    : paths_(paths), settings_(settings) {}

void StartupSelection::FillCpus() {
    cpus = Catalogue(paths_).CpuVersions(types.value(type));
    cpu = 0;
    FillCapacities();
}

void StartupSelection::FillCapacities() {
    capacities = Catalogue(paths_).Capacities(types.value(type), cpus.value(cpu));
    capacity = 0;
}

void StartupSelection::SelectLanguage(int index) {
    language = Bounded(index, languages);
}

void StartupSelection::SelectType(int index) {
    type = Bounded(index, types);
    FillCpus();
}

void StartupSelection::SelectCpu(int index) {
    cpu = Bounded(index, cpus);
    FillCapacities();
}

void StartupSelection::SelectCapacity(int index) {
    capacity = Bounded(index, capacities);
}

void StartupSelection::Open(bool forNew, Detector* detector, const QStringList& ports,
                            UserDialogs& dialogs, const QString& caption,
                            const QString& noPortText) {
    languages = settings_.ReadSection(QStringLiteral("Language"));
    types = Catalogue(paths_).TypeForms();
    const int langNo = settings_.ReadInteger(kDefault, QStringLiteral("LangNo"), 0);
    const int invType = settings_.ReadInteger(kDefault, QStringLiteral("InvType"), kNone);
    const int invForm = settings_.ReadInteger(kDefault, QStringLiteral("InvForm"), kNone);
    const int invCpu = settings_.ReadInteger(kDefault, QStringLiteral("InvCpu"), kNone);
    const bool checkLang =
        settings_.ReadInteger(QStringLiteral("Options"), QStringLiteral("CheckLang"), kNone) == 1;
    const bool checkInv =
        settings_.ReadInteger(QStringLiteral("Options"), QStringLiteral("CheckInv"), kNone) == 1;

    if (forNew)
        language = Bounded(int(languages.indexOf(paths_.Identity().Language)), languages);
    else
        language = checkLang && langNo != kNone ? Bounded(langNo, languages) : 0;

    if (!alwaysDetect && checkInv && invType != kNone && invForm != kNone && invCpu != kNone) {
        // Stored indexes beyond the lists fall back to the first entries.
        SelectType(invType);
        SelectCpu(invCpu);
        SelectCapacity(invForm);
        return;
    }
    detectionRan = true;
    SelectType(0);
    if (!detector)
        return;
    ports_ = ports;
    usablePorts = detector->UsablePorts(ports);
    if (usablePorts.isEmpty()) {
        dialogs.ShowMessage(Message{3, noPortText, caption, MsgIcon::Exclamation, MsgButtons::Ok});
        return;
    }
    const int port = settings_.ReadInteger(kComms, QStringLiteral("Commport"), 256);
    const QString portName = settings_.ReadString(kComms, QStringLiteral("CommportName"),
                                                  port < 256 ? ports.value(port) : QString());
    const int baud = settings_.ReadInteger(kComms, QStringLiteral("Baudrate"), 3);
    const int parity = settings_.ReadInteger(kComms, QStringLiteral("Parity"), 1);
    const int protocol = settings_.ReadInteger(kComms, QStringLiteral("Prtocol"), 0);
    std::optional<LineFound> remembered;
    if (!portName.isEmpty() && baud >= 0 && baud <= 5 && parity >= 0 && parity <= 2 &&
        (protocol == 0 || protocol == 1))
        remembered = LineFound{portName, baud, parity, Protocol(protocol)};
    found = detector->Detect(usablePorts, remembered);
    if (!found)
        return;
    const Identity id = detector->Identify(*found, Catalogue(paths_));
    SelectType(id.typeIndex);
    SelectCpu(id.cpuIndex);
    SelectCapacity(id.capacityIndex);
}

StartupSelection::NoPortTexts StartupSelection::NoPortTextsFor(bool forNew,
                                                               const LanguageTexts& texts) {
    const NoPortTexts defaults{QStringLiteral("Confirmation"),
                               QStringLiteral("Usable serial port is not found.")};
    if (!forNew)
        return defaults;
    const QString general = QStringLiteral("General");
    return {texts.LangText(general, QStringLiteral("Message1"), defaults.caption),
            texts.LangText(general, QStringLiteral("Message3"), defaults.text)};
}

bool StartupSelection::Commit() {
    const QString name = languages.value(language);
    paths_.SelectLanguage(name);
    paths_.SelectInverter(types.value(type), cpus.value(cpu), capacities.value(capacity));
    bool ok = settings_.WriteInteger(kDefault, QStringLiteral("LangNo"), language) &&
              settings_.WriteInteger(kDefault, QStringLiteral("InvType"), type) &&
              settings_.WriteInteger(kDefault, QStringLiteral("InvForm"), capacity) &&
              settings_.WriteInteger(kDefault, QStringLiteral("InvCpu"), cpu);
    if (detectionRan && !usablePorts.isEmpty()) {
        const LineFound line =
            found.value_or(LineFound{usablePorts.first(), 3, 1, Protocol::Inverter});
        ok = ok && settings_.WriteInteger(kComms, QStringLiteral("Prtocol"), int(line.protocol)) &&
             settings_.WriteInteger(kComms, QStringLiteral("Baudrate"), line.baudIndex) &&
             settings_.WriteInteger(kComms, QStringLiteral("Parity"), line.parityIndex) &&
             settings_.WriteString(kComms, QStringLiteral("CommportName"), line.portName);
        const int index = int(ports_.indexOf(line.portName));
        if (index >= 0)
            ok = ok && settings_.WriteInteger(kComms, QStringLiteral("Commport"), index);
    }
    return ok;
}

} // namespace vdk
