#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace vdk {

class CommLink;
class Messenger;
struct ProgramFlags;

// The maintenance access codes, kept as salted PBKDF2 hashes in a data file
// beside the catalogue so that the codes never stand in the program or its
// data, and a maker can replace them without rebuilding.
//
//   [Level1]
//   Code1=<salt hex>:<iterations>:<SHA-256 PBKDF2 hex>
class MaintenanceCodes {
public:
    static constexpr int kMaxLength = 10;

    bool Load(const QString& path);
    // The first level (1..4) whose codes hold `code` exactly, or 0.
    int LevelOf(const QString& code) const;

    // The stored form of a code, for the tool that makes the file.
    static QString HashOf(const QString& code, const QByteArray& salt, int iterations);

private:
    struct Entry {
        QByteArray salt;
        int iterations = 0;
        QByteArray hash;
    };
    QList<QList<Entry>> levels_;
};

// The outcome of a login.
struct LoginResult {
    bool accepted = false;
    int level = 0;
};

// The login of the maintenance password dialog: the level of the code, the
// inverter access on FB91, the messages, and the flags. The dialog stays open
// when the result is not accepted.
LoginResult MaintenanceLogin(const QString& code, const MaintenanceCodes& codes, CommLink& link,
                             Messenger& messenger, ProgramFlags& flags);

// "Use Maintenance Mode" ticked or unticked: when the link answers, opens the
// inverter's maintenance parameters (463 to FB91, in RAM) or closes them (0).
// False when the link or the write failed.
bool UseMaintenanceMode(CommLink& link, bool on);

} // namespace vdk
