#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// One temporary folder for the whole fuzzing run; inputs are written into it
// because the readers under test take file paths. It lies in memory where the
// system offers that: the writers sync every file they replace.
inline QString FuzzPath(const QString& name) {
    static const QString shm = QStringLiteral("/dev/shm");
    static QTemporaryDir dir((QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) +
                             QStringLiteral("/vdk-fuzz-XXXXXX"));
    return dir.filePath(name);
}

inline QString WriteFuzzFile(const QString& name, const QByteArray& bytes) {
    const QString path = FuzzPath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}
