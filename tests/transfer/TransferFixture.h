#pragma once

#include "DataFixture.h"
#include "SimLine.h"
#include "base/EventPump.h"
#include "transfer/ResultReport.h"
#include "transfer/TransferRun.h"

#include <memory>

using namespace vdk;

// Rows 0..8 are normal; FE08 and FB91 are maintenance parameters. 0005 is
// never written, 0007 lives in RAM, 0008 has no title.
inline const char* const kDefinitions = "0000,0,600,Maxfreq,F00,Hz,2,0,0,4000,0,0,#.#,10,-,0,1\r\n"
                                        "0001,0,300,Basefreq,F01,Hz,2,0,0,4000,0,0,#.#,10,-,0,1\r\n"
                                        "0003,0,0,Signed,F03,,2,1,0,32767,0,-32768,#,1,-,0,0\r\n"
                                        "0004,0,0,Unsigned,F04,,2,0,0,65535,0,0,#,1,-,0,0\r\n"
                                        "0005,0,7,Locked,F05,,2,0,0,99,0,0,#,1,-,1,0\r\n"
                                        "0006,0,-5,Wide,F06,,4,1,0,99999,0,-99999,#,1,-,0,0\r\n"
                                        "0007,0,3,Ramonly,F07,,2,0,0,99,0,0,#,1,RAM,0,0\r\n"
                                        "0008,0,1,Notitle,,,2,0,0,99,0,0,#,1,-,0,0\r\n"
                                        "0630,0,5,Ruled,F630,,2,0,0,99,0,0,#,1,-,0,0\r\n"
                                        "FE08,0,400,Model,Fb08,,2,0,0,9999,0,0,#,1,-,0,0\r\n"
                                        "FB91,0,0,Access,Fb91,,2,0,0,999,0,0,#,1,RAM,1,0\r\n";

// The fixture inverter with a run over its normal rows, on a simulated line.
struct Run {
    explicit Run(Protocol protocol = Protocol::Inverter, const QByteArray& state = {},
                 const QStringList& unknown = {}, double faultRate = 0) {
        f.tree.Write("dat/AB(1)/AB(Eng).inv", kDefinitions);
        f.tree.Write("dat/AB(1)/AB-1K.cap", "0006,-5\r\n");
        f.Load();
        line = std::make_unique<SimLine>(f.table, f.messenger, protocol, f.tree.Path("sim.txt"),
                                         state, unknown, faultRate);
        config.lastRow = f.table.NormalLastRow();
    }
    // A run with the configuration as the test has set it.
    TransferRun& Make() {
        run =
            std::make_unique<TransferRun>(f.table, f.values, line->link, f.messenger, pump, config);
        run->onProgress = [this](int percent) { progress.append(percent); };
        return *run;
    }
    TransferRun::Outcome Go(TransferMode mode) { return Make().Run(mode, report); }
    QString& Value(const char* comNo) { return f.values.At(Row(comNo), UPara::Value); }
    QString Mark(const char* comNo, UPara::Col col) { return f.values.At(Row(comNo), col); }
    QString FlagOf(const char* comNo) { return f.table.At(Row(comNo), Flag); }
    int Row(const char* comNo) const { return f.table.FindRow(QString::fromLatin1(comNo)); }

    DataFixture f;
    int pumped = 0;
    FunctionPump pump{[this] { ++pumped; }};
    std::unique_ptr<SimLine> line;
    TransferRun::Config config;
    std::unique_ptr<TransferRun> run;
    ResultReport report;
    QList<int> progress;
};
