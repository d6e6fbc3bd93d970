#include "data/DefinitionLoader.h"

#include "data/FieldSplitter.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/TextCodec.h"

#include <QFileInfo>
#include <QSet>

namespace vdk {

const QString kDesignDefinitionFilter =
    QStringLiteral("VDK330Q Inverter Type Data (*.inv)|*.inv|VDK330Q Inverter Capa. Data "
                   "(*.cap)|*.cap");

namespace {
constexpr int kDefinitionFilterEntry = 1;
constexpr int kCapacityFilterEntry = 2;

QString ReadDisp(const AppPaths& paths) {
    return IniFile(paths.InfoIni, paths.FallbackEncoding())
        .ReadString(QStringLiteral("Setup"), QStringLiteral("Disp"), QStringLiteral("0*"));
}
} // namespace

DefinitionLoader::DefinitionLoader(AppPaths& paths, Messenger& messenger, QString definitionFilter)
    : paths_(paths), messenger_(messenger), filter_(std::move(definitionFilter)) {}

std::optional<QString> DefinitionLoader::PickFile(int filterIndex) {
    const auto choice = messenger_.Dialogs().OpenFileName(
        FileRequest{paths_.TypeDir, filter_, filterIndex, QStringLiteral("inv"), QString()});
    if (!choice || choice->path.isEmpty()) {
        messenger_.Show(kMsgLoadCancelled, MsgIcon::Exclamation);
        return std::nullopt;
    }
    return choice->path;
}

bool DefinitionLoader::LoadDefinitions(ParaDat& table) {
    table.Clear();
    QString disp = ReadDisp(paths_);
    QStringList lines;
    if (!ReadTextLines(paths_.DefFile, paths_.FallbackEncoding(), lines)) {
        messenger_.Show(kMsgNoDefinitionFile, MsgIcon::Exclamation);
        const auto picked = PickFile(kDefinitionFilterEntry);
        if (!picked)
            return false;
        const IniFile info(QFileInfo(*picked).absolutePath() + QStringLiteral("/Info.ini"),
                           paths_.FallbackEncoding());
        paths_.UseDefinitionFile(
            *picked,
            info.ReadString(QStringLiteral("Info"), QStringLiteral("Type"), QStringLiteral("-")),
            info.ReadString(QStringLiteral("Info"), QStringLiteral("Cpu"), QStringLiteral("-")));
        disp = ReadDisp(paths_);
        if (!ReadTextLines(paths_.DefFile, paths_.FallbackEncoding(), lines)) {
            messenger_.Show(kMsgNoDefinitionFile, MsgIcon::Exclamation);
            return false;
        }
    }
    table.Load(lines, disp);
    return true;
}

bool DefinitionLoader::LoadCapacityDefaults(ParaDat& table) {
    table.CapList.clear();
    table.CapRefList.clear();
    QStringList lines;
    if (!ReadTextLines(paths_.CapFile, paths_.FallbackEncoding(), lines)) {
        messenger_.Show(kMsgNoCapacityFile, MsgIcon::Exclamation);
        const auto picked = PickFile(kCapacityFilterEntry);
        if (!picked)
            return false;
        const QString name = QFileInfo(*picked).fileName();
        const QString stem = name.left(std::max<qsizetype>(0, name.size() - 4));
        const qsizetype hyphen = stem.indexOf(QLatin1Char('-'));
        const QString typeForm = hyphen < 0 ? stem : stem.left(hyphen);
        if (typeForm != paths_.Identity().TypeForm) {
            messenger_.Show(kMsgOtherTypeForm, MsgIcon::Exclamation);
            return false;
        }
        paths_.SetCapacity(hyphen < 0 ? QString() : stem.mid(hyphen));
        paths_.CapFile = *picked;
        if (!ReadTextLines(paths_.CapFile, paths_.FallbackEncoding(), lines)) {
            messenger_.Show(kMsgNoCapacityFile, MsgIcon::Exclamation);
            return false;
        }
    }
    const qsizetype count = std::min<qsizetype>(lines.size(), table.Count());
    for (qsizetype i = 0; i < count && !lines[i].isEmpty(); ++i) {
        const QStringList fields = SplitFields(lines[i]);
        const int row = table.FindRow(fields.first());
        // A number the definition does not know changes nothing.
        if (row < 0)
            continue;
        table.CapList.append(table.At(row, ComNo));
        table.At(row, Default) = fields.last();
    }
    // Rows of the capacity file, found by row so the check is one lookup each.
    QSet<int> capRows;
    for (const QString& number : std::as_const(table.CapList))
        capRows.insert(table.FindRow(number));
    for (int row = 0; row < table.Count(); ++row)
        if (table.At(row, DIndex) == QLatin1String("1") &&
            capRows.contains(table.FindRow(table.At(row, Default))))
            table.CapRefList.append(table.At(row, ComNo));
    return true;
}

bool DefinitionLoader::HasParaHelp() const {
    return QFileInfo::exists(paths_.ParaHelpFile);
}

int DefinitionLoader::QuickCount() const {
    return IniFile(paths_.InfoIni, paths_.FallbackEncoding())
        .ReadIntegerClamped(QStringLiteral("Setup"), QStringLiteral("Quick"), 0, 0,
                            ParaDat::kMaxParameters);
}

QString DefaultOf(const ParaDat& table, QStringView comNo, Messenger& messenger) {
    if (const auto value = table.ResolveDefault(comNo))
        return *value;
    messenger.Show(kMsgBadReference, MsgIcon::Exclamation);
    return QStringLiteral("Error.");
}

} // namespace vdk
