#include "data/StartFile.h"

#include "data/Catalogue.h"
#include "data/DefinitionLoader.h"
#include "data/ParaDat.h"
#include "data/UPara.h"
#include "settings/AppPaths.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "settings/MessageIds.h"
#include "settings/Messenger.h"
#include "settings/TextCodec.h"

#include <QFileInfo>
#include <algorithm>

namespace vdk {

QString StartFileCaption(StartFileError error) {
    switch (error) {
    case StartFileError::FileType:
        return QStringLiteral("Confirmation (File-type error)");
    case StartFileError::Language:
        return QStringLiteral("Confirmation (Language error)");
    case StartFileError::Data:
    case StartFileError::None:
        break;
    }
    return QStringLiteral("Confirmation (Data error)");
}

StartFileCheck CheckStartFile(const QString& path, const QStringList& languages,
                              const Catalogue& catalogue) {
    StartFileCheck check;
    const auto refuse = [&](StartFileError error, const QString& detail) {
        check.error = error;
        check.detail = detail;
        return check;
    };
    if (QFileInfo(path).suffix().toUpper() != QLatin1String("VDK"))
        return refuse(StartFileError::FileType, QStringLiteral("It is not a .vdk parameter file."));
    // The language line is plain ASCII; the comment is decoded again once the
    // language, and with it the code page of the file's origin, is known.
    FileProblem problem = LoadParameterFile(path, "windows-1252", check.file);
    if (problem == FileProblem::None)
        problem =
            LoadParameterFile(path, FallbackEncodingFor(check.file.Language.left(3)), check.file);
    if (problem != FileProblem::None)
        return refuse(StartFileError::Data, FileProblemReason(problem, check.file.damagedLine));
    if (check.file.form != ParameterFile::Current)
        return refuse(StartFileError::Data, QStringLiteral("The first line is not \"###\"."));
    if (!languages.contains(check.file.Language))
        return refuse(
            StartFileError::Language,
            QStringLiteral("The language \"%1\" is not installed.").arg(check.file.Language));
    const ParameterFile& f = check.file;
    if (!catalogue.Knows(f.TypeForm, f.CpuVer, f.Capacity))
        return refuse(StartFileError::Data,
                      QStringLiteral("The inverter %1%2 (%3) is not in the catalogue.")
                          .arg(f.TypeForm, f.Capacity, f.CpuVer));
    return check;
}

bool ReadStartFile(const QString& path, StartContext& c, ReadResult* read) {
    // A fresh installation knows its languages before a double-clicked file
    // asks for one of them.
    EnsureFirstStartKeys(c.settings);
    const QStringList languages = c.settings.ReadSection(QStringLiteral("Language"));
    const StartFileCheck check = CheckStartFile(path, languages, Catalogue(c.paths));
    if (check.error != StartFileError::None) {
        c.dialogs.ShowMessage(Message{
            0, QStringLiteral("Data is incorrect.\n") + path + QLatin1Char('\n') + check.detail,
            StartFileCaption(check.error), MsgIcon::Exclamation, MsgButtons::Ok});
        return false;
    }
    const ParameterFile& file = check.file;
    c.paths.SelectLanguage(file.Language);
    c.paths.SelectInverter(file.TypeForm, file.CpuVer, file.Capacity);
    c.settings.WriteInteger(QStringLiteral("Default"), QStringLiteral("LangNo"),
                            int(languages.indexOf(file.Language)));

    if (!BuildMessageList(c.paths, c.texts, c.dialogs))
        return false;
    Messenger messenger(c.texts, c.dialogs);
    DefinitionLoader loader(c.paths, messenger, DefinitionFilter(c.texts));
    if (!loader.LoadDefinitions(c.table) || !loader.LoadCapacityDefaults(c.table) ||
        !InitValues(c.table, c.values, messenger))
        return false;
    TakeComment(c.values, file);
    c.values.BlindMode = file.BlindMode;
    c.values.BlindCount = file.BlindCount;
    ReadResult result;
    result.passedOver = file.passedOver;
    for (qsizetype k = 0; k < file.lines.size(); ++k) {
        const ParameterLine& line = file.lines[k];
        const int row = c.table.FindRow(line.comNo);
        if (row < 0) {
            messenger.Show(kMsgDataError, MsgIcon::Exclamation);
            // The reading ends here: this number and the lines after it stay out.
            result.skipped.append(line.comNo);
            for (qsizetype after = k + 1; after < file.lines.size(); ++after)
                result.passedOver.append(file.HeaderLines() + int(after) + 1);
            std::sort(result.passedOver.begin(), result.passedOver.end());
            break;
        }
        ApplyParameterLine(c.table, c.values, row, line, messenger);
        ++result.applied;
    }
    if (read)
        *read = result;
    const QFileInfo info(path);
    c.values.LoadDir = info.absolutePath();
    c.values.LoadName = info.fileName();
    return true;
}

} // namespace vdk
