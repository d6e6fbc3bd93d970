#pragma once

#include "comm/Detector.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace vdk {

class AppPaths;
class IniFile;
class UserDialogs;

// The start-up selection without its window: the four lists, what they start
// at (the remembered selection, or what detection and identification found),
// the list changes, and what OK writes and leaves behind.
class LanguageTexts;

class StartupSelection {
public:
    StartupSelection(AppPaths& paths, IniFile& settings);

    // Fills the lists and picks the entries. `detector` and `ports` are used
    // when the remembered inverter is not to be used; none usable shows
    // "Usable serial port is not found." through `dialogs`.
    void Open(bool forNew, Detector* detector, const QStringList& ports, UserDialogs& dialogs,
              const QString& caption, const QString& noPortText);

    // The caption and the text of that box, read before the message list
    // exists: by key from [General] of the run's language for New, the
    // defaults at program start, when no language is fixed yet.
    struct NoPortTexts {
        QString caption, text;
    };
    static NoPortTexts NoPortTextsFor(bool forNew, const LanguageTexts& texts);

    void SelectLanguage(int index);
    void SelectType(int index);
    void SelectCpu(int index);
    void SelectCapacity(int index);

    // OK: the selection becomes the run's (paths included) and is stored, with
    // the line settings detection found. False when a settings write failed.
    bool Commit();

    QStringList languages, types, cpus, capacities;
    int language = 0, type = 0, cpu = 0, capacity = 0;
    bool detectionRan = false;
    // Set before Open when the line is known to hold an inverter (the
    // demonstration's simulator): it is detected and identified even when
    // the inverter is remembered, which would otherwise keep a dead line.
    bool alwaysDetect = false;
    std::optional<LineFound> found;
    QStringList usablePorts;

private:
    void FillCpus();
    void FillCapacities();

    AppPaths& paths_;
    IniFile& settings_;
    QStringList ports_;
};

} // namespace vdk
