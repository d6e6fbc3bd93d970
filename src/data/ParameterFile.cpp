#include "data/ParameterFile.h"

#include "data/DefinitionLoader.h"
#include "data/FieldSplitter.h"
#include "data/Numbers.h"
#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "data/UPara.h"
#include "settings/AppPaths.h"
#include "settings/FileWriter.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"
#include "settings/TextCodec.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>
#include <optional>

namespace vdk {

namespace {

const QString kNoComments = QStringLiteral("No Comments.");
const QString kZero = QStringLiteral("0");
const QString kUnread = QStringLiteral("unread");
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

// One parameter line's fields: number, value, select and blind mark, and the
// unread mark that readers of the four fields pass over; further fields are
// ignored. Nothing when the value is not a whole number.
std::optional<ParameterLine> ParseParameterLine(const QString& text) {
    ParameterLine parameter{QString(), QString(), kZero, kZero};
    bool valueOk = false;
    int count = 0;
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
        case 4:
            parameter.unread = field == kUnread;
            break;
        default:
            break;
        }
    };
    ForEachField(text, take, QLatin1Char('"'));
    if (!valueOk)
        return std::nullopt;
    return parameter;
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

int ParameterFile::HeaderLines() const {
    return form == Current ? 8 : form == Older ? 6 : 4;
}

FileProblem LoadParameterFile(const QString& path, const QByteArray& fallbackEncoding,
                              ParameterFile& file) {
    QByteArray bytes;
    switch (ReadFileBytes(path, bytes, kMaxParameterFileBytes)) {
    case FileReadError::None:
        break;
    case FileReadError::CannotOpen:
        return FileProblem::CannotOpen;
    case FileReadError::NotRegularFile:
        return FileProblem::NotRegularFile;
    case FileReadError::TooLarge:
        return FileProblem::TooLarge;
    }
    const QStringList lines = SplitLines(DecodeText(bytes, fallbackEncoding));
    const QString first = lines.value(0).trimmed();
    if (first == QLatin1String("###"))
        file.form = ParameterFile::Current;
    else if (first == QLatin1String("##"))
        file.form = ParameterFile::Older;
    else if (first == QLatin1String("#"))
        file.form = ParameterFile::Oldest;
    else
        return FileProblem::NotParameterFile;
    const int header = file.HeaderLines();
    const auto damagedAt = [&file](qsizetype index) {
        file.damagedLine = int(index) + 1;
        return FileProblem::Damaged;
    };
    if (lines.size() < header)
        return damagedAt(lines.size());

    file.TypeForm = lines[1];
    file.Capacity = lines[2];
    int comment = 3;
    if (file.form == ParameterFile::Current) {
        file.CpuVer = lines[3];
        file.Language = lines[4];
        comment = 5;
    }
    file.Comment = lines[comment] == kNoComments ? QString() : lines[comment];
    // The bytes of the comment line, so a save can keep a code page the
    // program does not write; only when the byte lines match the text lines.
    const QByteArrayList byteLines = SplitByteLines(bytes);
    file.CommentBytes = byteLines.size() == lines.size() ? byteLines[comment] : QByteArray();
    if (file.form != ParameterFile::Oldest) {
        int mode = 0;
        if (!ReadHeaderInt(lines[comment + 1], mode))
            return damagedAt(comment + 1);
        if (!ReadHeaderInt(lines[comment + 2], file.BlindCount))
            return damagedAt(comment + 2);
        file.BlindMode = mode != 0;
    }

    file.lines.clear();
    file.passedOver.clear();
    file.duplicates.clear();
    QHash<QString, int> seen; // communication number -> its first line
    const qsizetype cap = header + kMaxParameterLines;
    bool ended = false; // an empty line ends the parameter lines
    for (qsizetype i = header; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty()) {
            ended = true;
            continue;
        }
        std::optional<ParameterLine> parameter = ParseParameterLine(lines[i]);
        if (ended || i >= cap) {
            // Not read, but noted: a save of the table would lose it unseen.
            if (parameter && !parameter->comNo.isEmpty())
                file.passedOver.append(int(i) + 1);
            continue;
        }
        if (!parameter)
            return damagedAt(i);
        parameter->line = int(i) + 1;
        const QString key = parameter->comNo.toUpper();
        if (const auto first = seen.constFind(key); first != seen.cend())
            file.duplicates.append({parameter->comNo, *first, parameter->line});
        else
            seen.insert(key, parameter->line);
        file.lines.append(std::move(*parameter));
    }
    return FileProblem::None;
}

int ReasonMessage(FileProblem problem) {
    switch (problem) {
    case FileProblem::NotRegularFile:
        return kMsgNotRegularFile;
    case FileProblem::TooLarge:
        return kMsgFileTooLarge;
    case FileProblem::NotParameterFile:
        return kMsgNotParameterFile;
    case FileProblem::Damaged:
        return kMsgDamagedLine;
    case FileProblem::None:
    case FileProblem::CannotOpen:
        break;
    }
    return 0;
}

QString FileProblemReason(FileProblem problem, int line, QString text) {
    if (text.isEmpty()) {
        switch (problem) {
        case FileProblem::CannotOpen:
            return QStringLiteral("The file cannot be read.");
        case FileProblem::NotRegularFile:
            return QStringLiteral("It is not a regular file.");
        case FileProblem::TooLarge:
            return QStringLiteral("The file is too large for a parameter file.");
        case FileProblem::NotParameterFile:
            text = QStringLiteral("It is not a parameter file: the first line is not \"###\", "
                                  "\"##\" or \"#\".");
            break;
        case FileProblem::Damaged:
            text = QStringLiteral("Line %1 cannot be read: a header line is missing, or a "
                                  "number in it is not a whole number.");
            break;
        case FileProblem::None:
            break;
        }
    }
    return problem == FileProblem::Damaged ? text.arg(line) : text;
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
        // An unread row is always written, with its mark: left out, it would
        // read back as a default that is meant.
        const bool unread = values.Unread(i);
        if (changedOnly && !unread && values.At(i, UPara::ChangeIndex) != one &&
            values.At(i, UPara::BlindIndex) != one)
            continue;
        QString line = table.At(i, ComNo) + QLatin1Char(',') + values.At(i, UPara::Value) +
                       QLatin1Char(',') + values.At(i, UPara::SelectIndex) + QLatin1Char(',') +
                       values.At(i, UPara::BlindIndex);
        if (unread)
            line += QLatin1Char(',') + kUnread;
        lines.append(line);
    }
    QByteArray bytes = EncodeLines(lines);
    // A comment still as read goes back in the bytes it was read from: one in
    // another code page than the file's language implies stays whole.
    constexpr int kCommentLine = 5;
    if (!values.Comment.isEmpty() && values.Comment == values.CommentRead.text &&
        !values.CommentRead.bytes.isEmpty())
        bytes.replace(EncodeLines(lines.first(kCommentLine)).size(),
                      lines[kCommentLine].toUtf8().size(), values.CommentRead.bytes);
    return WriteFileAtomically(path, bytes, error);
}

void ApplyParameterLine(const ParaDat& table, UPara& values, int row, const ParameterLine& line,
                        Messenger& messenger) {
    values.At(row, UPara::Value) = line.value;
    values.At(row, UPara::SelectIndex) = line.select;
    values.At(row, UPara::BlindIndex) = line.blind;
    values.SetUnread(row, line.unread);
    MarkChanged(table, values, row, line.value, messenger);
    for (UPara::Col col :
         {UPara::WriteIndex, UPara::HexIndex, UPara::OneSelectIndex, UPara::CommErrIndex})
        values.At(row, col) = kZero;
}

void TakeComment(UPara& values, const ParameterFile& file) {
    values.Comment = file.Comment;
    values.CommentRead = {file.Comment, file.CommentBytes};
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
    case FileProblem::NotRegularFile:
    case FileProblem::TooLarge:
    case FileProblem::NotParameterFile:
    case FileProblem::Damaged:
        messenger.ShowText(kMsgDataError,
                           messenger.Text(kMsgDataError) + QLatin1Char('\n') + path +
                               QLatin1Char('\n') +
                               FileProblemReason(problem, file.damagedLine,
                                                 messenger.Text(ReasonMessage(problem))),
                           MsgIcon::Exclamation);
        result.outcome = problem == FileProblem::NotRegularFile ? ReadOutcome::NotRegularFile
                         : problem == FileProblem::TooLarge     ? ReadOutcome::TooLarge
                         : problem == FileProblem::Damaged      ? ReadOutcome::Damaged
                                                                : ReadOutcome::NotParameterFile;
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
                kMsgDataError,
                messenger.Text(kMsgDataError) + nl + messenger.Text(kMsgUnknownNumber) +
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

    TakeComment(values, file);
    if (file.form != ParameterFile::Oldest) {
        values.BlindMode = file.BlindMode;
        values.BlindCount = file.BlindCount;
    }
    for (int row = 0; row < table.Count(); ++row)
        if (!kept.contains(row))
            if (const auto value = InitialValue(table, row, messenger)) {
                values.At(row, UPara::Value) = *value;
                values.SetUnread(row, false);
            }
    if (!file.passedOver.isEmpty())
        for (int row = 0; row < table.Count(); ++row)
            if (!kept.contains(row))
                values.SetUnread(row, true);
    for (const auto& [row, line] : std::as_const(taken))
        ApplyParameterLine(table, values, row, *line, messenger);
    result.applied = int(taken.size());
    result.passedOver = file.passedOver;
    result.duplicates = file.duplicates;
    // Checked once every line is in: a linked limit may come later in the file.
    for (const auto& [row, line] : std::as_const(taken))
        if (OutsideLimits(table, values, row) && !result.outside.contains(row))
            result.outside.append(row);
    std::sort(result.outside.begin(), result.outside.end());
    const QFileInfo info(path);
    values.LoadDir = info.absolutePath();
    values.LoadName = info.fileName();
    return result;
}

ExportFindings FindingsOf(const ReadResult& read, const ParaDat& table, const UPara& values) {
    ExportFindings findings{read.passedOver, read.duplicates, {}};
    for (int row : read.outside)
        if (OutsideLimits(table, values, row))
            findings.outside.append(row);
    return findings;
}

QStringList ExportFindings::Lines(const ParaDat& table, const UPara& values) const {
    QStringList lines;
    if (!passedOver.isEmpty())
        lines.append(QStringLiteral("%1 parameter lines from line %2 on were not read; the "
                                    "parameters the file does not supply are not written")
                         .arg(passedOver.size())
                         .arg(passedOver.first()));
    for (const ParameterFile::Duplicate& d : duplicates)
        lines.append(QStringLiteral("parameter %1 is listed twice (lines %2 and %3)")
                         .arg(d.comNo)
                         .arg(d.first)
                         .arg(d.second));
    for (int row : outside) {
        const auto limits = LimitsOf(table, values, row);
        const auto text = [](const std::optional<double>& v) {
            return v ? RawText(*v) : QStringLiteral("-");
        };
        lines.append(QStringLiteral("%1=%2 is outside its limits %3..%4")
                         .arg(table.At(row, ComNo), values.At(row, UPara::Value),
                              text(limits ? limits->low : std::nullopt),
                              text(limits ? limits->high : std::nullopt)));
    }
    return lines;
}

} // namespace vdk
