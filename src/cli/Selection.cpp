#include "cli/Selection.h"

#include "data/Catalogue.h"
#include "settings/IniFile.h"

namespace vdk {

namespace {

const QString kDefault = QStringLiteral("Default");

// The requested entry, the stored index's entry (a stored index outside the
// list counts as none), or the first entry.
std::optional<QString> Pick(const QStringList& list, const QString& requested, int storedIndex,
                            const QString& what, QString& error) {
    if (list.isEmpty()) {
        error = QStringLiteral("no %1 is listed").arg(what);
        return std::nullopt;
    }
    if (!requested.isEmpty()) {
        for (const QString& entry : list)
            if (entry.compare(requested, Qt::CaseInsensitive) == 0)
                return entry;
        error = QStringLiteral("unknown %1 '%2' (known: %3)")
                    .arg(what, requested, list.join(QStringLiteral(", ")));
        return std::nullopt;
    }
    return storedIndex >= 0 && storedIndex < list.size() ? list[storedIndex] : list.first();
}

// The stored language index; without one, the index of the locale's
// language in the list (the first entry when the list lacks it).
int StoredOrLocaleLanguage(const IniFile& settings, const QStringList& languages,
                           const QString& locale) {
    const QString key = QStringLiteral("LangNo");
    if (settings.ReadSection(kDefault).contains(key, Qt::CaseInsensitive))
        return settings.ReadInteger(kDefault, key, 0);
    const QString name = locale.startsWith(QLatin1String("ja")) ? QStringLiteral("Japanese")
                                                                : QStringLiteral("English");
    for (int i = 0; i < languages.size(); ++i)
        if (languages[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return 0;
}

} // namespace

QStringList LanguagesOf(const IniFile& settings) {
    const QStringList languages = settings.ReadSection(QStringLiteral("Language"));
    return languages.isEmpty() ? QStringList{QStringLiteral("Japanese"), QStringLiteral("English")}
                               : languages;
}

std::optional<InverterIdentity> ResolveSelection(const SelectionRequest& request,
                                                 const IniFile& settings,
                                                 const Catalogue& catalogue, QString& error) {
    // A stored index only counts for a list the user did not name, and only
    // when the lists above it were not named either.
    const bool storedType = request.typeForm.isEmpty();
    const bool storedCpu = storedType && request.cpuVer.isEmpty();
    const bool storedCapacity = storedCpu && request.capacity.isEmpty();
    const auto stored = [&](const QString& key, bool use) {
        return use ? settings.ReadInteger(kDefault, key, 999) : -1;
    };

    InverterIdentity id;
    const QStringList languages = LanguagesOf(settings);
    const auto language = Pick(languages, request.language,
                               StoredOrLocaleLanguage(settings, languages, request.locale),
                               QStringLiteral("language"), error);
    if (!language)
        return std::nullopt;
    id.Language = *language;
    id.LangCode = language->left(3);

    const auto type =
        Pick(catalogue.TypeForms(), request.typeForm, stored(QStringLiteral("InvType"), storedType),
             QStringLiteral("type-form"), error);
    if (!type)
        return std::nullopt;
    id.TypeForm = *type;

    const auto cpu = Pick(catalogue.CpuVersions(id.TypeForm), request.cpuVer,
                          stored(QStringLiteral("InvCpu"), storedCpu),
                          QStringLiteral("CPU version of %1").arg(id.TypeForm), error);
    if (!cpu)
        return std::nullopt;
    id.CpuVer = *cpu;

    const auto capacity =
        Pick(catalogue.Capacities(id.TypeForm, id.CpuVer), request.capacity,
             stored(QStringLiteral("InvForm"), storedCapacity),
             QStringLiteral("capacity of %1(%2)").arg(id.TypeForm, id.CpuVer), error);
    if (!capacity)
        return std::nullopt;
    id.Capacity = *capacity;
    return id;
}

} // namespace vdk
