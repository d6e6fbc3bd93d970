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
    bool unread = false; // a fifth field "unread": the value stands in for one never read
    int line = 0;        // where it is in the file, from 1
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
    QByteArray CommentBytes; // the comment line as it is in the file
    QList<ParameterLine> lines;
    // Lines (from 1) that look like parameter lines but are not read: after
    // the empty line that ends the list, or past the 2000 parameter lines.
    QList<int> passedOver;
    // A communication number listed twice: the lines (from 1) of both. The
    // later line's value is the one read.
    struct Duplicate {
        QString comNo;
        int first = 0, second = 0;
    };
    QList<Duplicate> duplicates;
    // The line (from 1) a Damaged file could not be read at.
    int damagedLine = 0;

    // TypeForm + Capacity [+ " (" + CpuVer + ")"]: how questions name the file.
    QString Identity() const;
    // Lines before the first parameter line: 8, 6 or 4 by the form.
    int HeaderLines() const;
};

// The largest parameter file read. The header and 2000 parameter lines take
// well under 100 KB; the rest is room for long comments and further fields.
constexpr qint64 kMaxParameterFileBytes = 1024 * 1024;

enum class FileProblem { None, CannotOpen, NotRegularFile, TooLarge, NotParameterFile, Damaged };

// Why a file cannot be read, in the words of message `ReasonMessage(problem)`
// (`text`), or in English when `text` is empty (before a language is known,
// and on the command line). `line` is ParameterFile::damagedLine.
int ReasonMessage(FileProblem problem);
QString FileProblemReason(FileProblem problem, int line, QString text = {});

// Reads and checks a parameter file. A first line other than "###", "##" or "#"
// is NotParameterFile; a missing header line, header numbers or a value that
// are not 32-bit integers are Damaged. Reads the header and up to 2000
// parameter lines, ending at the first empty line, and notes the parameter
// lines it passes over. Only a regular file of at most kMaxParameterFileBytes
// is read.
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

// Makes the file's comment the current one, with the bytes it was read from.
void TakeComment(UPara& values, const ParameterFile& file);

// How an interactive read ended.
enum class ReadOutcome {
    Taken,
    CannotOpen,
    NotRegularFile,   // message 68: a FIFO, a device, a folder
    TooLarge,         // message 68
    NotParameterFile, // message 68
    Damaged,          // message 68
    OtherTypeForm,    // message 10
    CapacityCancelled,
    CpuCancelled,
    ReadingCancelled, // Cancel at an unknown number
};

struct ReadResult {
    ReadOutcome outcome = ReadOutcome::Taken;
    int applied = 0;       // parameter lines taken over
    QStringList skipped;   // unknown numbers skipped with OK
    QList<int> passedOver; // parameter lines not read (ParameterFile::passedOver)
    QList<ParameterFile::Duplicate> duplicates;
    QList<int> outside; // rows whose value from the file is outside its limits

    // Part of the file is not in the table: saving the table over the file
    // would drop those lines or put other values in their place.
    bool Incomplete() const { return !skipped.isEmpty() || !passedOver.isEmpty(); }
    // The list was cut: the rows the file did not supply were marked unread.
    bool Cut() const { return !passedOver.isEmpty(); }
};

// What a table read from a file would send that the file did not mean: a list
// cut short (its rows are unread and left alone), a number listed twice (the
// later line won), values outside their limits. An export asks or refuses.
struct ExportFindings {
    QList<int> passedOver;
    QList<ParameterFile::Duplicate> duplicates;
    QList<int> outside; // rows

    bool Any() const {
        return !passedOver.isEmpty() || !duplicates.isEmpty() || !outside.isEmpty();
    }
    // One English line each, for the command line.
    QStringList Lines(const ParaDat& table, const UPara& values) const;
};
// The findings of a read; of its values outside their limits, those still so.
ExportFindings FindingsOf(const ReadResult& read, const ParaDat& table, const UPara& values);

// The Open command's reader: asks its questions through `messenger` and takes
// the file over only when the whole read completes. When the list was cut
// (lines passed over), every row the file did not supply is marked unread, as
// an import marks what it could not read: no export writes a shipment value
// in its place. Every other outcome leaves
// the values, the comment, the blind state and the current file as they were.
ReadResult ReadParameterFile(const QString& path, const ParaDat& table, UPara& values,
                             const InverterIdentity& current, const QByteArray& fallbackEncoding,
                             Messenger& messenger);

} // namespace vdk
