// Definition and capacity lines: the splitter and the row rules.
#include "data/ParaDat.h"
#include "settings/TextCodec.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = vdk::SplitLines(vdk::DecodeText(bytes, "windows-31j"));
    vdk::ParaDat table;
    for (int i = 0; i < lines.size() && i < vdk::ParaDat::kMaxParameters; ++i)
        table.Append(vdk::DefinitionRow(lines[i], i));
    table.Finish(QStringLiteral("F0"));
    for (int i = 0; i < table.Count(); ++i)
        if (table.FindRow(table.At(i, vdk::ComNo)) > i)
            __builtin_trap(); // a lookup never skips the first occurrence
    return 0;
}
