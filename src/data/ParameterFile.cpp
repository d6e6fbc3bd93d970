#include "data/ParameterFile.h"

#include "data/DefinitionLoader.h"
#include "data/FieldSplitter.h"
#include "data/Numbers.h"
#include "data/ParaDat.h"
#include "data/UPara.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"
#include "settings/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <limits>
#include <optional>

namespace vdk {

namespace {

const QString kNoComments = QStringLiteral("No Comments.");
const QString kZero = QStringLiteral("0");
constexpr int kMaxParameterLines = ParaDat::kMaxParameters;

// The decimal text of a whole number that fits a 32-bit parameter, signed or
// unsigned ("+07" and " 7" give "7"), or nothing.
std::optional<QString> ValueNumber(QStringView text) {
    const auto v = ParseWholeNumber(text);
    if (!v || *v < std::numeric_limits<qint32>::min() || *v > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return QString::number(*v);
}

// A select or blind mark; an empty field reads as "0".
QString Mark(QStringView field) {
    if (field.isEmpty() || field == kZero)
        return kZero;
    return field == QLatin1String("1") ? QStringLiteral("1") : field.toString();
}

bool ReadHeaderInt(const QString& text, int& value) {
    const auto v = ParseWholeNumber(text);
    if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max())
        return false;
    value = int(*v);
    return true;
}

// Line breaks would end the comment line and shift every line after it.
QString OneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

QString ParameterFile::Identity() const {
    return form == Current ? TypeForm + Capacity + QStringLiteral(" (") + CpuVer + QLatin1Char(')')
                           : TypeForm + Capacity;
}

FileProblem LoadParameterFile(const QString& path, const QByteArray& fallbackEncoding,
                              ParameterFile& file) {
    QStringList lines;
    if (!ReadTextLines(path, fallbackEncoding, lines))
        return FileProblem::CannotOpen;
    const QString first = lines.value(0).trimmed();
    int header = 0;
    if (first == QLatin1String("###")) {
        file.form = ParameterFile::Current;
        header = 8;
    } else if (first == QLatin1String("##")) {
        file.form = ParameterFile::Older;
        header = 6;
    } else if (first == QLatin1String("#")) {
        file.form = ParameterFile::Oldest;
        header = 4;
    } else {
        return FileProblem::NotParameterFile;
    }
    if (lines.size() < header)
        return FileProblem::Damaged;

    file.TypeForm = lines[1];
    file.Capacity = lines[2];
    int comment = 3;
    if (file.form == ParameterFile::Current) {
        file.CpuVer = lines[3];
        file.Language = lines[4];
        comment = 5;
    }
    file.Comment = lines[comment] == kNoComments ? QString() : lines[comment];
    if (file.form != ParameterFile::Oldest) {
        int mode = 0;
        if (!ReadHeaderInt(lines[comment + 1], mode) ||
            !ReadHeaderInt(lines[comment + 2], file.BlindCount))
            return FileProblem::Damaged;
        file.BlindMode = mode != 0;
    }

    file.lines.clear();
    const qsizetype end = std::min<qsizetype>(lines.size(), header + kMaxParameterLines);
    for (qsizetype i = header; i < end && !lines[i].trimmed().isEmpty(); ++i) {
        ParameterLine parameter{QString(), QString(), kZero, kZero};
        bool valueOk = false;
        int count = 0;
        // Number, value, select and blind mark; further fields are ignored.
        const auto take = [&](QStringView field) {
            switch (count++) {
            case 0:
                parameter.comNo = field.toString();
                break;
            case 1:
                if (const auto value = ValueNumber(field)) {
                    parameter.value = *value;
                    valueOk = true;
                }
                break;
            case 2:
                parameter.select = Mark(field);
                break;
            case 3:
                parameter.blind = Mark(field);
                break;
            default:
                break;
            }
        };
        ForEachField(lines[i], take, QLatin1Char('"'));
        if (!valueOk)
            return FileProblem::Damaged;
        file.lines.append(std::move(parameter));
    }
    return FileProblem::None;
}

bool WriteParameterFile(const QString& path, const ParaDat& table, const UPara& values,
                        const InverterIdentity& identity, bool changedOnly, QString* error) {
    QStringList lines{QStringLiteral("###"),
                      identity.TypeForm,
                      identity.Capacity,
                      identity.CpuVer,
                      identity.Language,
                      values.Comment.isEmpty() ? kNoComments : OneLine(values.Comment),
                      values.BlindMode ? QStringLiteral("1") : kZero,
                      QString::number(values.BlindCount)};
    const QString one = QStringLiteral("1");
    for (int i = 0; i < table.Count(); ++i) {
        if (changedOnly && values.At(i, UPara::ChangeIndex) != one &&
            values.At(i, UPara::BlindIndex) != one)
            continue;
        lines.append(table.At(i, ComNo) + QLatin1Char(',') + values.At(i, UPara::Value) +
                     QLatin1Char(',') + values.At(i, UPara::SelectIndex) + QLatin1Char(',') +
                     values.At(i, UPara::BlindIndex));
    }
    return WriteFileAtomically(path, EncodeLines(lines), error);
}

void ApplyParameterLine(const ParaDat& table, UPara& values, int row, const ParameterLine& line,
                        Messenger& messenger) {
    values.At(row, UPara::Value) = line.value;
    values.At(row, UPara::SelectIndex) = line.select;
    values.At(row, UPara::BlindIndex) = line.blind;
    MarkChanged(table, values, row, line.value, messenger);
    for (UPara::Col col :
         {UPara::WriteIndex, UPara::HexIndex, UPara::OneSelectIndex, UPara::CommErrIndex})
        values.At(row, col) = kZero;
}

ReadResult ReadParameterFile(const QString& path, const ParaDat& table, UPara& values,
                             const InverterIdentity& current, const QByteArray& fallbackEncoding,
                             Messenger& messenger) {
    ReadResult result;
    ParameterFile file;
    const FileProblem problem = LoadParameterFile(path, fallbackEncoding, file);
    switch (problem) {
    case FileProblem::CannotOpen:
        result.outcome = ReadOutcome::CannotOpen;
        return result;
    case FileProblem::NotParameterFile:
    case FileProblem::Damaged:
        messenger.Show(LanguageTexts::kDataError, MsgIcon::Exclamation);
        result.outcome =
            problem == FileProblem::Damaged ? ReadOutcome::Damaged : ReadOutcome::NotParameterFile;
        return result;
    case FileProblem::None:
        break;
    }
    const QString nl = QStringLiteral("\n");
    const QString named = file.Identity() + QLatin1Char(' ');

    if (file.TypeForm != current.TypeForm) {
        messenger.ShowText(kMsgOtherTypeForm,
                           messenger.Text(kMsgOtherTypeForm) + nl + named +
                               messenger.Text(kMsgCannotBeUsed),
                           MsgIcon::Exclamation);
        result.outcome = ReadOutcome::OtherTypeForm;
        return result;
    }
    const QString star = QStringLiteral("* ") + named + messenger.Text(kMsgDataFile);
    bool keepCapacity = false;
    if (file.form != ParameterFile::Oldest && file.Capacity != current.Capacity) {
        const Answer answer = messenger.ShowText(kMsgCapacityQuestion,
                                                 messenger.Text(kMsgCapacityQuestion) + nl + star +
                                                     nl + nl + messenger.Text(kMsgCapacityYes) +
                                                     nl + messenger.Text(kMsgCapacityNo) + nl +
                                                     messenger.Text(kMsgCapacityCancel),
                                                 MsgIcon::Exclamation, MsgButtons::YesNoCancel);
        if (answer != Answer::Yes && answer != Answer::No) {
            result.outcome = ReadOutcome::CapacityCancelled;
            return result;
        }
        keepCapacity = answer == Answer::No;
    }
    if (file.form == ParameterFile::Current && file.CpuVer != current.CpuVer &&
        messenger.ShowText(kMsgCpuQuestion, messenger.Text(kMsgCpuQuestion) + nl + star,
                           MsgIcon::Exclamation, MsgButtons::OkCancel) != Answer::Ok) {
        result.outcome = ReadOutcome::CpuCancelled;
        return result;
    }

    QSet<int> kept; // rows whose current values stay (the "No" answer)
    if (keepCapacity)
        for (const QStringList* list : {&table.CapList, &table.CapRefList})
            for (const QString& number : *list)
                kept.insert(table.FindRow(number));

    // Every question is asked before anything changes: the set is taken over
    // only when the whole file has been read.
    QList<std::pair<int, const ParameterLine*>> taken;
    taken.reserve(file.lines.size());
    for (const ParameterLine& line : std::as_const(file.lines)) {
        const int row = table.FindRow(line.comNo);
        if (row < 0) {
            const Answer answer = messenger.ShowText(
                LanguageTexts::kDataError,
                messenger.Text(LanguageTexts::kDataError) + nl + messenger.Text(kMsgUnknownNumber) +
                    QLatin1Char(' ') + line.comNo + nl + nl + messenger.Text(kMsgUnknownOk) + nl +
                    messenger.Text(kMsgUnknownCancel),
                MsgIcon::Exclamation, MsgButtons::OkCancel);
            if (answer != Answer::Ok) {
                result.outcome = ReadOutcome::ReadingCancelled;
                return result;
            }
            result.skipped.append(line.comNo);
        } else if (!kept.contains(row)) {
            taken.append({row, &line});
        }
    }

    values.Comment = file.Comment;
    if (file.form != ParameterFile::Oldest) {
        values.BlindMode = file.BlindMode;
        values.BlindCount = file.BlindCount;
    }
    for (int row = 0; row < table.Count(); ++row)
        if (!kept.contains(row))
            if (const auto value = InitialValue(table, row, messenger))
                values.At(row, UPara::Value) = *value;
    for (const auto& [row, line] : std::as_const(taken))
        ApplyParameterLine(table, values, row, *line, messenger);
    result.applied = int(taken.size());
    const QFileInfo info(path);
    values.LoadDir = info.absolutePath();
    values.LoadName = info.fileName();
    return result;
}

} // namespace vdk
