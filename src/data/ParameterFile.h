#pragma once

#include <QString>
#include <QStringList>

namespace vdk {

class Messenger;
class ParaDat;
class UPara;
struct InverterIdentity;

// One parameter line of a parameter file.
struct ParameterLine {
    QString comNo;
    QString value;
    QString select;
    QString blind;
};

// A parameter file as read, checked for damage but not yet applied.
struct ParameterFile {
    enum Form { Oldest = 1, Older = 2, Current = 3 }; // "#", "##", "###"
    Form form = Current;
    QString TypeForm;
    QString Capacity;
    QString CpuVer;         // current form only
    QString Language;       // current form only
    QString Comment;        // empty for "No Comments."
    bool BlindMode = false; // current and "##" forms
    int BlindCount = 0;
    QList<ParameterLine> lines;

    // TypeForm + Capacity [+ " (" + CpuVer + ")"]: how questions name the file.
    QString Identity() const;
};

enum class FileProblem { None, CannotOpen, NotParameterFile, Damaged };

// Reads and checks a parameter file. A first line other than "###", "##" or "#"
// is NotParameterFile; a missing header line, header numbers or a value that
// are not 32-bit integers are Damaged. Reads the header and up to 2000
// parameter lines, ending at the first empty line.
FileProblem LoadParameterFile(const QString& path, const QByteArray& fallbackEncoding,
                              ParameterFile& file);

// Writes the current form through a temporary file, so a failed write leaves
// the old file whole. With `changedOnly`, parameters that are neither changed
// nor blind are left out. On failure `error` holds the system's text.
bool WriteParameterFile(const QString& path, const ParaDat& table, const UPara& values,
                        const InverterIdentity& identity, bool changedOnly, QString* error);

// Takes one parameter line into its row: value, select and blind marks, the
// changed mark, and clears the transfer and display marks.
void ApplyParameterLine(const ParaDat& table, UPara& values, int row, const ParameterLine& line,
                        Messenger& messenger);

// How an interactive read ended.
enum class ReadOutcome {
    Taken,
    CannotOpen,
    NotParameterFile, // message 68
    Damaged,          // message 68
    OtherTypeForm,    // message 10
    CapacityCancelled,
    CpuCancelled,
    ReadingCancelled, // Cancel at an unknown number
};

struct ReadResult {
    ReadOutcome outcome = ReadOutcome::Taken;
    int applied = 0;     // parameter lines taken over
    QStringList skipped; // unknown numbers skipped with OK
};

// The Open command's reader: asks its questions through `messenger` and takes
// the file over only when the whole read completes. Every other outcome leaves
// the values, the comment, the blind state and the current file as they were.
ReadResult ReadParameterFile(const QString& path, const ParaDat& table, UPara& values,
                             const InverterIdentity& current, const QByteArray& fallbackEncoding,
                             Messenger& messenger);

// Message numbers used by the readers.
enum ParameterFileMessage {
    kMsgCapacityQuestion = 11,
    kMsgCapacityYes = 12,
    kMsgCapacityNo = 13,
    kMsgCapacityCancel = 14,
    kMsgCpuQuestion = 15,
    kMsgUnknownNumber = 81,
    kMsgUnknownOk = 82,
    kMsgUnknownCancel = 83,
    kMsgCannotBeUsed = 87,
    kMsgDataFile = 88,
};

} // namespace vdk
