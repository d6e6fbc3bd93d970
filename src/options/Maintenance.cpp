#include "options/Maintenance.h"

#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>

namespace vdk {

namespace {
constexpr int kLevels = 4;
constexpr int kHashBytes = 32;

// Compares without leaving the position of the first difference in the time taken.
bool SameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

QByteArray Derive(const QString& code, const QByteArray& salt, int iterations) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, code.toUtf8(), salt,
                                              iterations, kHashBytes);
}
} // namespace

bool MaintenanceCodes::Load(const QString& path) {
    const IniFile ini(path);
    levels_.clear();
    bool any = false;
    for (int level = 1; level <= kLevels; ++level) {
        QList<Entry> entries;
        const QString section = QStringLiteral("Level%1").arg(level);
        for (const QString& value : ini.ReadSectionValues(section)) {
            const QStringList parts = value.split(QLatin1Char(':'));
            bool ok = false;
            const int iterations = parts.value(1).toInt(&ok);
            if (parts.size() != 3 || !ok || iterations < 1)
                continue;
            entries.append({QByteArray::fromHex(parts[0].toLatin1()), iterations,
                            QByteArray::fromHex(parts[2].toLatin1())});
            any = true;
        }
        levels_.append(entries);
    }
    return any;
}

int MaintenanceCodes::LevelOf(const QString& code) const {
    if (code.isEmpty() || code.size() > kMaxLength)
        return 0;
    for (int level = 0; level < levels_.size(); ++level)
        for (const Entry& e : levels_[level])
            if (SameBytes(Derive(code, e.salt, e.iterations), e.hash))
                return level + 1;
    return 0;
}

QString MaintenanceCodes::HashOf(const QString& code, const QByteArray& salt, int iterations) {
    return QString::fromLatin1(salt.toHex()) + QLatin1Char(':') + QString::number(iterations) +
           QLatin1Char(':') + QString::fromLatin1(Derive(code, salt, iterations).toHex());
}

bool UseMaintenanceMode(CommLink& link, bool on) {
    if (!link.CommunicationCheck() || !link.HasMaintenanceAccess())
        return false;
    return on ? link.OpenMaintenanceAccess() : link.CloseMaintenanceAccess();
}

LoginResult MaintenanceLogin(const QString& code, const MaintenanceCodes& codes, CommLink& link,
                             Messenger& messenger, ProgramFlags& flags) {
    const bool linkUp = link.CommunicationCheck();
    const int level = codes.LevelOf(code);
    if (level == 0) {
        messenger.Show(kMsgWrongCode, MsgIcon::Stop);
        return {};
    }
    const auto openInverter = [&] {
        return linkUp && link.HasMaintenanceAccess() && link.OpenMaintenanceAccess();
    };
    const QString nl = QStringLiteral("\n");
    const auto warn = [&](const QString& first, bool opened) {
        messenger.ShowText(kMsgMaintenanceOn,
                           opened ? first : first + nl + messenger.Text(kMsgNotOpened),
                           MsgIcon::Exclamation);
    };
    switch (level) {
    case 1:
        warn(messenger.Text(kMsgMaintenanceOn), openInverter());
        break;
    case 2:
        if (!openInverter()) {
            messenger.Show(kMsgNoLink, MsgIcon::Exclamation);
            return {false, level};
        }
        warn(messenger.Text(kMsgMaintenanceOn), true);
        break;
    case 3:
        warn(messenger.Text(kMsgMaintenanceOn), false);
        break;
    default:
        warn(QStringLiteral("Hello, the master."), openInverter());
        flags.SMainteFlag = true;
        break;
    }
    flags.MainteFlag = true;
    return {true, level};
}

} // namespace vdk
