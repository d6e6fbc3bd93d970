#include "settings/IniFile.h"

#include "settings/FileLock.h"
#include "settings/FileWriter.h"
#include "settings/TextCodec.h"

#include <QFileInfo>

namespace vdk {

namespace {

bool IsComment(QStringView trimmed) {
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The section a line opens, or a null string when it opens none.
QString SectionOf(QStringView line) {
    const QStringView t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return {};
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    const QStringView name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
    return name.isEmpty() ? QString(QLatin1String("")) : name.toString();
}

struct Entry {
    QString key;
    QString value;
};

// The key and value of a "key=value" line; false for comments and other lines.
bool EntryOf(QStringView line, Entry& entry) {
    const QStringView t = line.trimmed();
    if (t.isEmpty() || IsComment(t))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    const QStringView key = t.left(eq).trimmed();
    if (key.isEmpty())
        return false;
    QStringView value = t.mid(eq + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    entry.key = key.toString();
    entry.value = value.toString();
    return true;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Line range [begin, end) of the first section of that name; begin is the
// header line. Returns false when there is no such section.
bool FindSection(const QStringList& lines, const QString& section, qsizetype& begin,
                 qsizetype& end) {
    begin = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].contains(QLatin1Char('[')))
            continue;
        const QString name = SectionOf(lines[i]);
        if (name.isNull())
            continue;
        if (begin >= 0) {
            end = i;
            return true;
        }
        if (SameName(name, section))
            begin = i;
    }
    end = lines.size();
    return begin >= 0;
}

QList<Entry> EntriesOf(const QStringList& lines, const QString& section) {
    QList<Entry> entries;
    qsizetype begin, end;
    if (!FindSection(lines, section, begin, end))
        return entries;
    for (qsizetype i = begin + 1; i < end; ++i) {
        Entry e;
        if (!EntryOf(lines[i], e))
            continue;
        const bool seen = std::any_of(entries.cbegin(), entries.cend(),
                                      [&](const Entry& o) { return SameName(o.key, e.key); });
        if (!seen)
            entries.append(e);
    }
    return entries;
}

// Line breaks in a value would start new keys or sections in the file.
QString OneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

IniFile::IniFile(QString path, QByteArray fallbackEncoding)
    : path_(std::move(path)), fallbackEncoding_(std::move(fallbackEncoding)) {}

QStringList IniFile::Load() const {
    QStringList lines;
    ReadTextLines(path_, fallbackEncoding_, lines);
    return lines;
}

bool IniFile::Update(const std::function<bool(QStringList&)>& change) {
    error_.clear();
    // Two programs writing keys at once would each write back the file as
    // they read it, and one key would be lost.
    FileLock lock(path_);
    if (!lock.Acquire(kFileLockWaitMs, &error_))
        return false;
    QStringList lines;
    FileReadError problem = FileReadError::None;
    // A file that is there but cannot be read is kept, not replaced by one key.
    if (!ReadTextLines(path_, fallbackEncoding_, lines, &problem) &&
        (problem != FileReadError::CannotOpen || QFileInfo::exists(path_))) {
        error_ = QStringLiteral("cannot read %1 to change it").arg(path_);
        return false;
    }
    if (!change(lines))
        return true;
    return WriteFileAtomically(path_, EncodeLines(lines), &error_);
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    for (const Entry& e : EntriesOf(Load(), section))
        if (SameName(e.key, key))
            return e.value;
    return def;
}

int IniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    const QString text = ReadString(section, key, QString());
    if (text.isNull())
        return def;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (ok)
        return value;
    // Hexadecimal in the "0x" form is a valid integer in this format too.
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const int hex = text.mid(2).toInt(&ok, 16);
        if (ok)
            return hex;
    }
    return def;
}

bool IniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

int IniFile::ReadIntegerClamped(const QString& section, const QString& key, int def, int low,
                                int high) const {
    return qBound(low, ReadInteger(section, key, def), high);
}

QStringList IniFile::ReadSection(const QString& section) const {
    QStringList keys;
    for (const Entry& e : EntriesOf(Load(), section))
        keys.append(e.key);
    return keys;
}

QStringList IniFile::ReadSectionValues(const QString& section) const {
    QStringList values;
    for (const Entry& e : EntriesOf(Load(), section))
        values.append(e.value);
    return values;
}

bool IniFile::SectionExists(const QString& section) const {
    qsizetype begin, end;
    return FindSection(Load(), section, begin, end);
}

QStringList IniFile::ReadSections() const {
    QStringList names;
    for (const QString& line : Load()) {
        const QString name = SectionOf(line);
        if (!name.isNull())
            names.append(name);
    }
    return names;
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    return Update([&](QStringList& lines) {
        const QString line = key + QLatin1Char('=') + OneLine(value);
        qsizetype begin, end;
        if (!FindSection(lines, section, begin, end)) {
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(line);
            return true;
        }
        qsizetype lastEntry = begin;
        for (qsizetype i = begin + 1; i < end; ++i) {
            Entry e;
            if (!EntryOf(lines[i], e))
                continue;
            if (SameName(e.key, key)) {
                lines[i] = e.key + QLatin1Char('=') + OneLine(value);
                return true;
            }
            lastEntry = i;
        }
        lines.insert(lastEntry + 1, line);
        return true;
    });
}

bool IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool IniFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteInteger(section, key, value ? 1 : 0);
}

bool IniFile::DeleteKey(const QString& section, const QString& key) {
    return Update([&](QStringList& lines) {
        qsizetype begin, end;
        if (!FindSection(lines, section, begin, end))
            return false;
        for (qsizetype i = begin + 1; i < end; ++i) {
            Entry e;
            if (EntryOf(lines[i], e) && SameName(e.key, key)) {
                lines.removeAt(i);
                return true;
            }
        }
        return false;
    });
}

bool IniFile::EraseSection(const QString& section) {
    return Update([&](QStringList& lines) {
        qsizetype begin, end;
        if (!FindSection(lines, section, begin, end))
            return false;
        lines.remove(begin, end - begin);
        return true;
    });
}

} // namespace vdk
