// Typed entries of the value column: any text either is refused or gives a
// whole raw value within the parameter's limits.
#include "data/ParaDat.h"
#include "data/ParameterValue.h"
#include "data/UPara.h"

#include <cmath>
#include <cstdint>

namespace {

struct Tables {
    Tables() {
        table.Append(vdk::DefinitionRow(u"0000,0,600,Max,F00,Hz,2,0,0,4000,0,0,#.#,10,-,0,1", 1));
        table.Append(vdk::DefinitionRow(u"0001,0,-5,Wide,F01,,4,1,0,99999,0,-99999,#,1,-,0,0", 2));
        table.Append(
            vdk::DefinitionRow(u"0002,0,0,Low,F02,Hz,2,0,1,0000,-1,0000,#.##,100,-,0,0", 3));
        table.Finish(QStringLiteral("0*"));
        values.Resize(table.Count());
        for (int row = 0; row < table.Count(); ++row)
            values.At(row, vdk::UPara::Value) = table.At(row, vdk::Default);
    }
    vdk::ParaDat table;
    vdk::UPara values;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Tables t;
    if (size < 1)
        return 0;
    const int row = data[0] % 3;
    const bool comma = data[0] & 0x80;
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const vdk::Entry e = vdk::ConvertEntry(t.table, t.values, row, text, comma);
    if (e.status != vdk::Entry::Ok)
        return 0;
    const double v = e.range.value;
    const auto limits = vdk::LimitsOf(t.table, t.values, row);
    if (!std::isfinite(v) || v != std::trunc(v) || !limits || v > *limits->high || v < *limits->low)
        __builtin_trap();
    return 0;
}
