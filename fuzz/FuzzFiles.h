#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

// One temporary folder for the whole fuzzing run; inputs are written into it
// because the readers under test take file paths.
inline QString FuzzPath(const QString& name) {
    static QTemporaryDir dir;
    return dir.filePath(name);
}

inline QString WriteFuzzFile(const QString& name, const QByteArray& bytes) {
    const QString path = FuzzPath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}
