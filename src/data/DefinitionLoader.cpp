#include "data/DefinitionLoader.h"

#include "data/FieldSplitter.h"
#include "data/Numbers.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"
#include "settings/TextCodec.h"

#include <QFileInfo>
#include <QSet>

namespace vdk {

const QString kDesignDefinitionFilter =
    QStringLiteral("VDK330Q Inverter Type Data (*.inv)|*.inv|VDK330Q Inverter Capa. Data "
                   "(*.cap)|*.cap");

QString DefinitionFilter(const LanguageTexts& texts) {
    return texts.LangText(
        QStringLiteral("Main"), QStringLiteral("OpenFile2"),
        QStringLiteral(
            "VDK330Q Inv Type Datas (*.inv)|*.inv|VDK330Q Inv Capa Datas (*.cap)|*.cap"));
}

namespace {
constexpr int kDefinitionFilterEntry = 1;
constexpr int kCapacityFilterEntry = 2;

QString ReadDisp(const AppPaths& paths) {
    return IniFile(paths.InfoIni, paths.FallbackEncoding())
        .ReadString(QStringLiteral("Setup"), QStringLiteral("Disp"), QStringLiteral("0*"));
}

enum class Holds { WholeNumber, Reference, Unchecked };

// What a value cell may hold by its index cell: "0" a whole number, else the
// number of another parameter. A DIndex other than "0" and "1" is refused by
// InitValues; a limit a short line leaves out (both cells empty) stays unread.
Holds ExpectedOf(ParaCol index, const QString& indexText, const QString& value) {
    if (indexText == QLatin1String("0"))
        return Holds::WholeNumber;
    if (index == DIndex)
        return indexText == QLatin1String("1") ? Holds::Reference : Holds::Unchecked;
    return indexText.isEmpty() && value.isEmpty() ? Holds::Unchecked : Holds::Reference;
}

// Why `value` cannot stand in `column` of the row, or nothing when it can.
std::optional<QString> ValueProblem(const ParaDat& table, int row, ParaCol index, ParaCol column,
                                    const QString& value) {
    const Holds holds = ExpectedOf(index, table.At(row, index), value);
    const bool fits = holds == Holds::Unchecked ||
                      (holds == Holds::WholeNumber ? ParseWholeNumber(value).has_value()
                                                   : table.FindRow(value) >= 0);
    if (fits)
        return std::nullopt;
    return QStringLiteral("%1 of parameter %2 is '%3', not %4")
        .arg(ParaDat::Keys()[column], table.At(row, ComNo), value,
             holds == Holds::WholeNumber ? QStringLiteral("a whole number")
                                         : QStringLiteral("the number of a parameter"));
}
} // namespace

QString DataDamage::Describe() const {
    return QStringLiteral("%1, line %2: %3").arg(file).arg(line).arg(problem);
}

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

bool DefinitionLoader::Refuse(DataDamage damage) {
    messenger_.ShowText(kMsgDataError,
                        messenger_.Text(kMsgDataError) + QLatin1Char('\n') + damage.file +
                            QStringLiteral(" (%1)\n").arg(damage.line) + damage.text,
                        MsgIcon::Stop);
    damage_ = std::move(damage);
    return false;
}

bool DefinitionLoader::LoadDefinitions(ParaDat& table) {
    damage_.reset();
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
    for (int row = 0; row < table.Count(); ++row)
        for (const auto& [index, column] :
             {std::pair{DIndex, Default}, std::pair{HIndex, High}, std::pair{LIndex, Low}})
            if (const auto problem =
                    ValueProblem(table, row, index, column, table.At(row, column))) {
                table.Clear();
                return Refuse({paths_.DefFile, row + 1, lines[row], *problem});
            }
    return true;
}

bool DefinitionLoader::LoadCapacityDefaults(ParaDat& table) {
    damage_.reset();
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
    // Every line is checked before any default changes.
    QList<std::pair<int, QString>> defaults;
    const qsizetype count = std::min<qsizetype>(lines.size(), table.Count());
    for (qsizetype i = 0; i < count && !lines[i].isEmpty(); ++i) {
        const QStringList fields = SplitFields(lines[i]);
        const int row = table.FindRow(fields.first());
        // A number the definition does not know changes nothing.
        if (row < 0)
            continue;
        const auto problem =
            fields.size() < 2
                ? std::optional(
                      QStringLiteral("parameter %1 has no value").arg(table.At(row, ComNo)))
                : ValueProblem(table, row, DIndex, Default, fields.last());
        if (problem)
            return Refuse({paths_.CapFile, int(i) + 1, lines[i], *problem});
        defaults.append({row, fields.last()});
    }
    for (const auto& [row, value] : std::as_const(defaults)) {
        table.CapList.append(table.At(row, ComNo));
        table.At(row, Default) = value;
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
