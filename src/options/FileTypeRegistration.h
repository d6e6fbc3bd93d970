#pragma once

#include <QString>
#include <QStringList>

namespace vdk {

// Registration of the parameter file type with the desktop, so that a double
// click on a .vdk file opens it in the program: a shared-mime-info package, a
// desktop entry and the default-application line, all in the user's folders.
// Only our own files and our own line are ever removed.
class FileTypeRegistration {
public:
    static constexpr const char* kMimeType = "application/x-vdk330q-parameters";

    // `dataHome` and `configHome` are the user's folders (~/.local/share,
    // ~/.config); `systemData` the read-only data folders other programs may
    // register in; `program` the executable.
    FileTypeRegistration(QString dataHome, QString configHome, QStringList systemData,
                         QString program);

    enum class Result { Written, OwnedElsewhere, NothingToDo, Failed };
    // The tick box: writes nothing when another program already owns *.vdk.
    // `force` (the Register button) writes in any case.
    Result Register(bool force);
    // Unticking: removes our registration, nothing else.
    Result Unregister();
    bool IsRegistered() const;

    // Runs the desktop's cache updates after a change (off in tests).
    bool updateCaches = true;

private:
    QString MimeFile() const;
    QString DesktopFile() const;
    QString MimeAppsFile() const;
    bool OwnedElsewhere() const;
    void UpdateCaches() const;

    QString dataHome_;
    QString configHome_;
    QStringList systemData_;
    QString program_;
};

} // namespace vdk
