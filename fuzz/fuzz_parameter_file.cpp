// Parameter files: the interactive reader against a small inverter, with every
// question answered in turn. A read either takes the file over or changes
// nothing, and what it takes over writes and reads back the same.
#include "FuzzFiles.h"
#include "data/ParaDat.h"
#include "data/ParameterFile.h"
#include "data/UPara.h"
#include "settings/AppPaths.h"
#include "settings/LanguageTexts.h"
#include "settings/Messenger.h"

#include <cstdint>

namespace {

// Answers the questions from the first input byte, so the fuzzer walks every
// path of the reader.
class ByteDialogs final : public vdk::UserDialogs {
public:
    quint8 bits = 0;
    vdk::Answer ShowMessage(const vdk::Message&) override {
        static constexpr vdk::Answer kAnswers[] = {vdk::Answer::Ok, vdk::Answer::Cancel,
                                                   vdk::Answer::Yes, vdk::Answer::No};
        const vdk::Answer a = kAnswers[bits & 3];
        bits = quint8(bits >> 2 | bits << 6);
        return a;
    }
    std::optional<vdk::FileChoice> OpenFileName(const vdk::FileRequest&) override { return {}; }
    std::optional<vdk::FileChoice> SaveFileName(const vdk::FileRequest&) override { return {}; }
    std::optional<quint32> ChooseColour(quint32) override { return {}; }
};

vdk::ParaDat SmallTable() {
    vdk::ParaDat table;
    table.Load({QStringLiteral("0000,0,10,A,F00,,2,0,0,400,0,0,#.#,10,-,0,1"),
                QStringLiteral("0001,1,0000,B,F01,,2,0,1,0000,0,0,#,1,-,0,1"),
                QStringLiteral("F003,0,5,C,F03,,4,1,0,99999,0,-99999,#,1,-,0,0")},
               QStringLiteral("F0"));
    table.CapList = QStringList{QStringLiteral("0000")};
    table.CapRefList = QStringList{QStringLiteral("0001")};
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    static const vdk::ParaDat table = SmallTable();
    static const vdk::InverterIdentity current{QStringLiteral("AB"), QStringLiteral("-1K"),
                                               QStringLiteral("1"), QStringLiteral("English"),
                                               QStringLiteral("Eng")};
    ByteDialogs dialogs;
    dialogs.bits = data[0];
    vdk::LanguageTexts texts;
    vdk::Messenger messenger(texts, dialogs);
    vdk::UPara values;
    vdk::InitValues(table, values, messenger);
    const vdk::UPara before = values;

    const QString path =
        WriteFuzzFile(QStringLiteral("fuzz.vdk"),
                      QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));
    const vdk::ReadResult r =
        vdk::ReadParameterFile(path, table, values, current, "windows-31j", messenger);
    if (r.outcome != vdk::ReadOutcome::Taken) {
        for (int row = 0; row < table.Count(); ++row)
            if (values.At(row, vdk::UPara::Value) != before.At(row, vdk::UPara::Value))
                __builtin_trap(); // a refused read changed a value
        return 0;
    }
    QString error;
    const QString copy = FuzzPath(QStringLiteral("copy.vdk"));
    if (!vdk::WriteParameterFile(copy, table, values, current, false, &error))
        __builtin_trap();
    vdk::UPara again = before;
    if (vdk::ReadParameterFile(copy, table, again, current, "windows-31j", messenger).outcome !=
        vdk::ReadOutcome::Taken)
        __builtin_trap(); // what the program wrote it must read
    for (int row = 0; row < table.Count(); ++row)
        if (again.At(row, vdk::UPara::Value) != values.At(row, vdk::UPara::Value))
            __builtin_trap();
    return 0;
}
