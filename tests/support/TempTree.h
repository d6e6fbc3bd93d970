#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

// A temporary folder that tests fill with small files. Texts are written as
// given (UTF-8 unless bytes are passed), so a test shows its fixture inline.
class TempTree {
public:
    TempTree() { QVERIFY(dir_.isValid()); }

    QString Path(const QString& relative = QString()) const {
        return relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
    }

    QString Write(const QString& relative, const QByteArray& bytes) const {
        const QString path = Path(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write test file %s", qPrintable(path));
        return path;
    }

    // Copies a folder tree (the shipped data, say) below this one.
    void CopyTree(const QString& from, const QString& relative) const {
        QDir source(from);
        QDir().mkpath(Path(relative));
        for (const QFileInfo& entry :
             source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
            const QString target = relative + QLatin1Char('/') + entry.fileName();
            if (entry.isDir())
                CopyTree(entry.filePath(), target);
            else
                QFile::copy(entry.filePath(), Path(target));
        }
    }

    // Every file below the folder, relative to it, sorted.
    QStringList Files() const {
        QStringList files;
        QDirIterator it(Path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(Path()).relativeFilePath(it.next()));
        files.sort();
        return files;
    }

    QByteArray Read(const QString& relative) const {
        QFile file(Path(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
};
