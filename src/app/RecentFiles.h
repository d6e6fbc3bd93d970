#pragma once

#include <QStringList>

namespace vdk {

class IniFile;

// The parameter files used last, newest first, kept in the settings'
// [RecentFiles] section.
class RecentFiles {
public:
    static constexpr int kMax = 8;

    explicit RecentFiles(IniFile& settings);

    QStringList Files() const;
    // Puts `path` first (once), drops what falls beyond kMax, and stores
    // the list.
    void Add(const QString& path);
    void Remove(const QString& path);

private:
    void Store(const QStringList& files);

    IniFile& settings_;
};

} // namespace vdk
