#pragma once

#include "settings/IniFile.h"

#include <QString>
#include <QStringList>

namespace vdk {

class AppPaths;

// The inverter catalogue: type-forms with the numbers the inverter reports,
// their CPU versions, and the capacities found as capacity files.
class Catalogue {
public:
    explicit Catalogue(const AppPaths& paths);

    QStringList TypeForms() const;
    QString TypeNumber(const QString& typeForm) const;
    QStringList CpuVersions(const QString& typeForm) const;
    QString CpuCode(const QString& typeForm, const QString& cpuVer) const;
    // Capacity names ("-" and the designation) of the capacity files in the
    // type-form's directory for that CPU version, sorted.
    QStringList Capacities(const QString& typeForm, const QString& cpuVer) const;
    QString CapacityCode(const QString& typeForm, const QString& capacity) const;
    // The type-form whose number, and the capacity of `typeForm` whose code,
    // an inverter reports; empty when the catalogue has none.
    QString TypeFormOf(const QString& number) const;
    QString CapacityOf(const QString& typeForm, const QString& code) const;
    // The frequency command's communication number, or "-".
    QString FreqCommNo(const QString& typeForm) const;

    // Only names the catalogue lists may become part of a path.
    bool Knows(const QString& typeForm, const QString& cpuVer, const QString& capacity) const;

private:
    QString datDir_;
    IniFile ini_;
};

} // namespace vdk
