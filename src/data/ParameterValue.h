#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace vdk {

class Messenger;
class ParaDat;
class UPara;

// The rules of a parameter's value: its limits, sign and scale, the typed
// entry and the texts a value is shown as. The table, its editor, the
// transfers and the command line all go by these.

// A typed decimal number: digits with one optional leading minus and one
// decimal separator ("." always, "," too in a decimal-comma language); white
// space around it is allowed, so a shown value re-commits as it stands.
std::optional<double> ParseTypedNumber(QStringView text, bool decimalComma);

// Hexadecimal digits (at most eight significant) as a raw value: the 32-bit
// pattern read as signed when the parameter's low limit is negative, else as
// unsigned. Nothing for any other text.
std::optional<double> ParseHex(QStringView digits, bool negativeLow);

// A raw value as the tables store it: general format, up to 15 significant
// digits, never "-0".
QString RawText(double raw);

// A parameter's limits as raw values, fixed or read from the parameter a
// linked limit names (negated for LIndex -1). A linked limit whose parameter
// is not in the table is no limit; nothing when a limit text is not a number.
struct Limits {
    std::optional<double> low, high;
};
std::optional<Limits> LimitsOf(const ParaDat& table, const UPara& values, int row);

// Whether the parameter's low limit is negative: its values are signed.
bool NegativeLow(const ParaDat& table, const UPara& values, int row);

// The value clamped into the parameter's limits (a value equal to a limit is
// kept). `unreadable`: a limit text is not a number, and the stored value is
// the result.
struct RangeCheck {
    double value = 0;
    bool clamped = false;
    bool unreadable = false;
};
RangeCheck CheckRange(const ParaDat& table, const UPara& values, int row, double raw);

// Whether the value of `row` lies outside its limits, linked limits as the
// table holds them now (a file's value the table would never take). A value
// that is no number, or whose limits cannot be read, is not.
bool OutsideLimits(const ParaDat& table, const UPara& values, int row);

// What a typed entry in the value column means for parameter `row`: display
// units times the scale, or "h" and the raw value in hexadecimal. The raw value
// is rounded to a whole number (the line carries nothing finer) before the
// range check.
struct Entry {
    enum Status { Ok, Empty, NotNumber };
    Status status = Empty;
    bool hex = false; // the entry began with "h"
    double raw = 0;   // before the range check
    RangeCheck range; // the value to store
};
Entry ConvertEntry(const ParaDat& table, const UPara& values, int row, QStringView text,
                   bool decimalComma);

// The parameter's scale; a scale of 0 or one that is not a number counts as 1.
double ScaleOf(const ParaDat& table, int row);

// A value in display units, printed with the parameter's decimal pattern
// `tMul` in eight characters; the separator is "," in a decimal-comma
// language, "." otherwise, whatever the computer's locale.
QString FormatValue(const QString& tMul, double x, bool decimalComma);
// A raw value as hexadecimal digits (upper case) of its 32-bit pattern.
QString FormatHex(double raw);
// A raw value of parameter `row` in display units.
QString ScaledText(const ParaDat& table, int row, double raw, bool decimalComma);
// A raw value as the value column shows it: "h" and the hexadecimal digits
// when the row's hexadecimal mark is set, else in display units.
QString ShownValue(const ParaDat& table, const UPara& values, int row, double raw,
                   bool decimalComma);

// A value typed for parameter `row`, committed as the table's Enter commits
// it: the hexadecimal mark follows a text that is not empty; a number is
// stored, range-checked, as raw text, with the write mark set when it differs
// from the value before, the unread mark cleared (a value given is meant) and
// the change mark recomputed. Nothing is stored for an entry that is empty or
// not a number.
struct CommittedValue {
    Entry entry;
    QString previous; // the stored value before the commit
};
CommittedValue CommitValue(const ParaDat& table, UPara& values, int row, QStringView text,
                           bool decimalComma, Messenger& messenger);

} // namespace vdk
