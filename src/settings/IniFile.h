#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace vdk {

// A settings file in the private-profile format. Every call opens the file,
// acts and lets it go: nothing is cached, so two objects on one path always
// agree. Section and key names match without regard to letter case; the first
// of two equal sections or keys is the one that counts. Rewrites keep comments,
// unknown sections and keys and the order of lines, and replace the file only
// when the new one is complete; a write waits for another program's write of
// the same file to finish.
class IniFile {
public:
    explicit IniFile(QString path, QByteArray fallbackEncoding = QByteArrayLiteral("windows-1252"));

    const QString& Path() const { return path_; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Missing keys and values that are not whole numbers give `def`.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // An integer read clamped to [low, high], for values with a documented range.
    int ReadIntegerClamped(const QString& section, const QString& key, int def, int low,
                           int high) const;
    // Keys of the section in file order; empty when the section or file is missing.
    QStringList ReadSection(const QString& section) const;
    // Values of the section's keys, in the same order as ReadSection.
    QStringList ReadSectionValues(const QString& section) const;
    bool SectionExists(const QString& section) const;
    // Names of all sections in file order.
    QStringList ReadSections() const;

    // False when the file cannot be written; ErrorString() then says why.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value);
    bool EraseSection(const QString& section);
    // Removes one key of a section; true when it is not there afterwards.
    bool DeleteKey(const QString& section, const QString& key);

    const QString& ErrorString() const { return error_; }

private:
    QStringList Load() const;
    // Reads, changes and writes back the file under its lock; `change` says
    // whether it changed anything to write.
    bool Update(const std::function<bool(QStringList&)>& change);

    QString path_;
    QByteArray fallbackEncoding_;
    QString error_;
};

} // namespace vdk
