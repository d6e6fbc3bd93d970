#include "data/Catalogue.h"

#include "settings/AppPaths.h"

#include <QDir>
#include <QFileInfo>

namespace vdk {

Catalogue::Catalogue(const AppPaths& paths)
    : datDir_(QFileInfo(paths.InverterIni).absolutePath()),
      ini_(paths.InverterIni, paths.FallbackEncoding()) {}

QStringList Catalogue::TypeForms() const {
    return ini_.ReadSection(QStringLiteral("Type"));
}

QString Catalogue::TypeNumber(const QString& typeForm) const {
    return ini_.ReadString(QStringLiteral("Type"), typeForm, QStringLiteral("99"));
}

QStringList Catalogue::CpuVersions(const QString& typeForm) const {
    return ini_.ReadSection(typeForm + QStringLiteral(" CPU Ver"));
}

QString Catalogue::CpuCode(const QString& typeForm, const QString& cpuVer) const {
    return ini_.ReadString(typeForm + QStringLiteral(" CPU Ver"), cpuVer, QStringLiteral("0"));
}

QStringList Catalogue::Capacities(const QString& typeForm, const QString& cpuVer) const {
    const QDir dir(FindFileNoCase(datDir_ + QStringLiteral("/%1(%2)").arg(typeForm, cpuVer)));
    QStringList capacities;
    if (typeForm.isEmpty() || !dir.exists())
        return capacities;
    const QStringList files = dir.entryList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::CaseSensitive, QDir::NoSort);
    for (const QString& name : files) {
        if (!name.endsWith(QLatin1String(".cap"), Qt::CaseInsensitive) ||
            name.size() < typeForm.size() + 4)
            continue;
        capacities.append(name.mid(typeForm.size(), name.size() - typeForm.size() - 4));
    }
    capacities.sort();
    return capacities;
}

QString Catalogue::CapacityCode(const QString& typeForm, const QString& capacity) const {
    return ini_.ReadString(typeForm, capacity, QStringLiteral("0"));
}

namespace {
QString KeyOf(const IniFile& ini, const QString& section, const QString& value) {
    const QStringList keys = ini.ReadSection(section);
    for (const QString& key : keys)
        if (ini.ReadString(section, key, QString()) == value)
            return key;
    return QString();
}
} // namespace

QString Catalogue::TypeFormOf(const QString& number) const {
    return KeyOf(ini_, QStringLiteral("Type"), number);
}

QString Catalogue::CapacityOf(const QString& typeForm, const QString& code) const {
    return KeyOf(ini_, typeForm, code);
}

QString Catalogue::FreqCommNo(const QString& typeForm) const {
    return ini_.ReadString(QStringLiteral("Freq Comm No"), typeForm, QStringLiteral("-"));
}

bool Catalogue::Knows(const QString& typeForm, const QString& cpuVer,
                      const QString& capacity) const {
    return TypeForms().contains(typeForm) && CpuVersions(typeForm).contains(cpuVer) &&
           Capacities(typeForm, cpuVer).contains(capacity);
}

} // namespace vdk
