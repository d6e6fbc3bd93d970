// The transaction engine on a scripted port and the virtual clock: when a
// reply is in time, which replies fail, the MODBUS silent interval, the
// indicator, the communication check and the inverter type check.
#include "DataFixture.h"
#include "ScriptedPort.h"
#include "base/ProgramFlags.h"
#include "comm/CommLink.h"
#include "data/Catalogue.h"

#include <QTest>

using namespace vdk;

Q_DECLARE_METATYPE(vdk::Protocol)

namespace {

QByteArray Hex(const char* text) {
    return QByteArray::fromHex(text);
}

// A link on the fixture's table (0000 is row 0, 0900 a signed 4-byte row).
struct Link {
    Link() {
        f.Load();
        link.SetTable(&f.table);
        link.OnCommandsEnabled([this](bool on) { enabled.append(on); });
        port.OpenPort(PortSettings{});
    }
    DataFixture f;
    VirtualClock clock;
    ScriptedPort port{clock};
    ProgramFlags flags;
    CommLink link{port, clock, f.messenger, flags};
    QList<bool> enabled;
};

// Replies to a read of 0000 with value 600.
const QByteArray kInverterReply = Hex("2F5200000258DB");

// The inverter's reply to `command` for parameter `number` with `value`.
QByteArray InverterReply(char command, quint16 number, int value) {
    QByteArray r = Hex("2F");
    r.append(command).append(char(number >> 8)).append(char(number & 0xFF));
    r.append(char(value >> 8)).append(char(value & 0xFF));
    return r.append(char(ByteSum(r.constData(), r.size())));
}

QByteArray WithCrc(QByteArray frame) {
    const quint16 crc = Crc16(frame.constData(), frame.size());
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

} // namespace

class TestTransact : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replyTiming_data();
    void replyTiming();
    void modbusFrameGap_data();
    void modbusFrameGap();
    void replyMustAnswerTheRequest_data();
    void replyMustAnswerTheRequest();
    void lateModbusReadReplyIsDrained();
    void failureReasons_data();
    void failureReasons();
    void maintenanceAccess_data();
    void maintenanceAccess();
    void indicator();
    void broadcastWritesAskOnce();
    void communicationCheck_data();
    void communicationCheck();
    void inverterTypeCheck_data();
    void inverterTypeCheck();
    void replyToRaw_data();
    void replyToRaw();
    void panelRead_data();
    void panelRead();
};

void TestTransact::replyTiming_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<qint64>("delay");
    QTest::addColumn<QString>("comNo");
    QTest::addColumn<bool>("error");
    QTest::addColumn<qint64>("elapsed");
    QTest::newRow("at once") << kInverterReply << qint64(5) << "0000" << false << qint64(5);
    QTest::newRow("exactly at the time-out")
        << kInverterReply << qint64(200) << "0000" << false << qint64(200);
    QTest::newRow("one ms late") << kInverterReply << qint64(201) << "0000" << true << qint64(201);
    QTest::newRow("silence") << QByteArray() << qint64(0) << "0000" << true << qint64(201);
    QTest::newRow("short") << kInverterReply.left(6) << qint64(5) << "0000" << true << qint64(201);
    QTest::newRow("bad sum") << Hex("2F5200000258DC") << qint64(5) << "0000" << true << qint64(5);
    QTest::newRow("extra bytes") << kInverterReply + "xyz" << qint64(5) << "0000" << false
                                 << qint64(5);
}

void TestTransact::replyTiming() {
    QFETCH(QByteArray, reply);
    QFETCH(qint64, delay);
    QFETCH(QString, comNo);
    QFETCH(bool, error);
    QFETCH(qint64, elapsed);
    Link l;
    l.port.replies.enqueue({reply, delay});
    const qint64 start = l.clock.now;
    const TransactResult r = l.link.Transact(l.f.table.FindRow(comNo), QString(), u"R");
    QCOMPARE(!r.ok(), error);
    QCOMPARE(l.link.LastFailed(), error);
    QCOMPARE(r.value, error ? 0u : 600u);
    QCOMPARE(l.clock.now - start, elapsed);
    QCOMPARE(l.port.sent, QList<QByteArray>{Hex("2F520000"
                                                "81")});
    QCOMPARE(l.port.rtsDropped, 1);
}

void TestTransact::modbusFrameGap_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("error");
    QTest::addColumn<qint64>("elapsed");
    const QByteArray good = WithCrc(Hex("FB03020258"));
    QByteArray bad = good;
    bad[6] = char(bad[6] ^ 0x01);
    // 9600 baud: 3.5 characters of silence (4.011 ms) after the reply's last
    // byte, so the clock then reads 14 ms (14.021).
    QTest::newRow("complete reply") << good << false << qint64(10 + 4);
    QTest::newRow("CRC error still keeps the gap") << bad << true << qint64(10 + 4);
    QTest::newRow("no gap after a time-out") << QByteArray() << true << qint64(201);
    QTest::newRow("a second frame on its heels: not trusted")
        << good + good << true << qint64(10 + 4);
    QTest::newRow("other function code: not the answer")
        << WithCrc(Hex("FB04020258")) << true << qint64(201);
}

void TestTransact::modbusFrameGap() {
    QFETCH(QByteArray, reply);
    QFETCH(bool, error);
    QFETCH(qint64, elapsed);
    Link l;
    l.link.settings.protocol = Protocol::Modbus;
    l.port.replies.enqueue({reply, 10});
    const TransactResult r = l.link.Transact(0, QString(), u"R");
    QCOMPARE(!r.ok(), error);
    QCOMPARE(r.value, error ? 0u : 600u);
    QCOMPARE(l.clock.now, elapsed);
}

void TestTransact::replyMustAnswerTheRequest_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<int>("number"); // -1: no number, 255: broadcast
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("error");
    QTest::addColumn<qint64>("elapsed");
    const QByteArray other = Hex("2F5200010258DC"); // 0001's reply
    const Protocol inv = Protocol::Inverter;
    const Protocol mb = Protocol::Modbus;
    QTest::newRow("another parameter's reply") << inv << -1 << "R" << other << true << qint64(201);
    QTest::newRow("another command's reply")
        << inv << -1 << "R" << Hex("2F5700000258E0") << true << qint64(201);
    QTest::newRow("another inverter's reply")
        << inv << 1 << "R" << Hex("2F025200000258DD") << true << qint64(201);
    QTest::newRow("a late reply, then the answer")
        << inv << -1 << "R" << other + kInverterReply << false << qint64(5);
    QTest::newRow("noise, then the answer") << inv << -1 << "R"
                                            << "\x2F\x2F/R" + kInverterReply << false << qint64(5);
    QTest::newRow("broadcast: any inverter's number")
        << inv << 255 << "R" << Hex("2F075200000258E2") << false << qint64(5);
    QTest::newRow("modbus: another slave's reply")
        << mb << 1 << "R" << WithCrc(Hex("0203020258")) << true << qint64(201);
    QTest::newRow("modbus: wrong byte count")
        << mb << 1 << "R" << WithCrc(Hex("0103040258")) << true << qint64(201);
    QTest::newRow("modbus: echo of another register")
        << mb << 1 << "W" << WithCrc(Hex("010600010258")) << true << qint64(201);
    QTest::newRow("modbus: a late read reply, then the echo")
        << mb << 1 << "W" << WithCrc(Hex("0103020007")) + WithCrc(Hex("010600000258")) << false
        << qint64(5 + 4);
}

void TestTransact::replyMustAnswerTheRequest() {
    QFETCH(Protocol, protocol);
    QFETCH(int, number);
    QFETCH(QString, command);
    QFETCH(QByteArray, reply);
    QFETCH(bool, error);
    QFETCH(qint64, elapsed);
    Link l;
    l.link.settings.protocol = protocol;
    l.link.settings.appendNo = number >= 0 && number < 255;
    l.link.settings.douhou = number == 255;
    l.link.settings.id = std::max(number, 0);
    l.port.replies.enqueue({reply, 5});
    const TransactResult r = l.link.Transact(0, QStringLiteral("600"), command);
    QCOMPARE(!r.ok(), error);
    QCOMPARE(r.value, error ? 0u : 600u);
    QCOMPARE(l.clock.now, elapsed);
}

// A MODBUS read reply names no register: after a time-out, the next read
// waits until the late reply has passed (or the line stayed quiet), so the
// late reply cannot pass for the next parameter's value.
void TestTransact::lateModbusReadReplyIsDrained() {
    Link l;
    l.link.settings.protocol = Protocol::Modbus;
    l.port.replies.enqueue({QByteArray(), 0});
    QCOMPARE(l.link.Transact(0, QString(), u"R").failure, TransactResult::NoAnswer);
    QCOMPARE(l.clock.now, 201);
    // A quiet line: the next read goes out one time-out after the time-out.
    l.port.replies.enqueue({WithCrc(Hex("FB03020258")), 5});
    const TransactResult r = l.link.Transact(0, QString(), u"R");
    QVERIFY(r.ok());
    QCOMPARE(r.value, 600u);
    QCOMPARE(l.port.sent.size(), 2);
    QVERIFY(l.clock.now >= 201 + 200);
    // No wait after a reply that came.
    const qint64 before = l.clock.now;
    l.port.replies.enqueue({WithCrc(Hex("FB03020258")), 5});
    l.link.Transact(0, QString(), u"R");
    QCOMPARE(l.clock.now, before + 5 + 4);
}

// Why an exchange failed, and whether the request reached the line.
void TestTransact::failureReasons_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("failure");
    QTest::addColumn<int>("sent");
    QTest::newRow("answered") << 0 << "R"
                              << "" << true << kInverterReply << int(TransactResult::None) << 1;
    QTest::newRow("no such row") << -1 << "R"
                                 << "" << true << kInverterReply << int(TransactResult::NoParameter)
                                 << 0;
    QTest::newRow("not a whole number")
        << 0 << "W"
        << "1.5" << true << kInverterReply << int(TransactResult::NotWhole) << 0;
    QTest::newRow("beyond two bytes")
        << 0 << "P"
        << "70000" << true << kInverterReply << int(TransactResult::NotWhole) << 0;
    QTest::newRow("port closed") << 0 << "R"
                                 << "" << false << kInverterReply << int(TransactResult::NoPort)
                                 << 0;
    QTest::newRow("silence") << 0 << "R"
                             << "" << true << QByteArray() << int(TransactResult::NoAnswer) << 1;
    QTest::newRow("bad sum") << 0 << "R"
                             << "" << true << Hex("2F5200000258DC") << int(TransactResult::BadReply)
                             << 1;
}

void TestTransact::failureReasons() {
    QFETCH(int, row);
    QFETCH(QString, command);
    QFETCH(QString, value);
    QFETCH(bool, portOpen);
    QFETCH(QByteArray, reply);
    QFETCH(int, failure);
    QFETCH(int, sent);
    Link l;
    if (!portOpen)
        l.port.ClosePort();
    l.port.replies.enqueue({reply, 5});
    const TransactResult r = l.link.Transact(row, value, command);
    QCOMPARE(int(r.failure), failure);
    QCOMPARE(r.ok(), failure == TransactResult::None);
    QCOMPARE(l.link.LastFailed(), !r.ok());
    QCOMPARE(r.value, r.ok() ? 600u : 0u);
    QCOMPARE(l.port.sent.size(), sent);
}

// The maintenance parameters open with 463 and close with 0, both to FB91 in
// RAM; a table without FB91 has nothing to open, and nothing is sent.
void TestTransact::maintenanceAccess_data() {
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("withAccess");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QString>("written"); // empty: nothing sent
    QTest::addColumn<bool>("ok");
    QTest::newRow("open") << true << true << true << "463" << true;
    QTest::newRow("close") << false << true << true << "0" << true;
    QTest::newRow("open, no answer") << true << true << false << "463" << false;
    QTest::newRow("close, no answer") << false << true << false << "0" << false;
    QTest::newRow("open, no FB91") << true << false << true << "" << true;
    QTest::newRow("close, no FB91") << false << false << true << "" << true;
}

void TestTransact::maintenanceAccess() {
    QFETCH(bool, open);
    QFETCH(bool, withAccess);
    QFETCH(bool, answered);
    QFETCH(QString, written);
    QFETCH(bool, ok);
    Link l;
    if (!withAccess) {
        l.f.table.At(l.f.table.FindRow(kMaintenanceAccess), ComNo) = "FB92";
        l.f.table.Finish(l.f.table.Disp());
    }
    QCOMPARE(l.link.HasMaintenanceAccess(), withAccess);
    if (answered)
        l.port.replies.enqueue({InverterReply('P', 0xFB91, written.toInt()), 1});
    QCOMPARE(open ? l.link.OpenMaintenanceAccess() : l.link.CloseMaintenanceAccess(), ok);
    const QList<QByteArray> frames =
        written.isEmpty()
            ? QList<QByteArray>{}
            : QList<QByteArray>{EncodeInverterRequest(Request{"FB91", false, 'P', written, {}})};
    QCOMPARE(l.port.sent, frames);
}

// On a broadcast line the first write asks: No sends nothing and asks again
// next time, Yes holds for the rest of the run. Reads never ask, nor does a
// line that addresses one inverter.
void TestTransact::broadcastWritesAskOnce() {
    int asked = 0;
    QList<bool> answers{false, true};
    Link l;
    l.link.settings.douhou = true;
    l.link.confirmBroadcast = [&] { return answers.value(asked++); };
    l.link.Transact(0, QString(), u"R");
    QCOMPARE(asked, 0);
    const qsizetype reads = l.port.sent.size();
    QCOMPARE(l.link.Transact(0, "600", u"P").failure, TransactResult::Declined);
    QCOMPARE(l.port.sent.size(), reads);
    l.link.Transact(0, "600", u"P");
    l.link.Transact(0, "601", u"W");
    QCOMPARE(asked, 2);
    QCOMPARE(l.port.sent.size(), reads + 2);

    Link one;
    one.link.confirmBroadcast = [&] { return ++asked, false; };
    one.link.Transact(0, "600", u"P");
    QCOMPARE(asked, 2);
    QCOMPARE(one.port.sent.size(), 1);
}

void TestTransact::indicator() {
    Link l;
    QCOMPARE(l.link.indicator.Current(), CommIndicator::NoLink);
    l.port.replies.enqueue({kInverterReply, 5});
    l.link.Transact(0, QString(), u"R");
    QCOMPARE(l.link.indicator.Current(), CommIndicator::Busy);
    QVERIFY(!l.link.indicator.Update(l.clock.now + 294)); // 299 ms after the start
    QVERIFY(l.link.indicator.Update(300));
    QCOMPARE(l.link.indicator.Current(), CommIndicator::Ready);
    l.link.Transact(0, QString(), u"R"); // silence
    QCOMPARE(l.link.indicator.Current(), CommIndicator::NoLink);
    QCOMPARE(l.link.indicator.TimerDue(), -1);
    // A row that is not there never reaches the port.
    QCOMPARE(l.link.Transact(-1, QString(), u"R").failure, TransactResult::NoParameter);
    QVERIFY(l.link.LastFailed());
    QCOMPARE(l.port.sent.size(), 2);
}

void TestTransact::communicationCheck_data() {
    QTest::addColumn<bool>("monitorBusy");
    QTest::addColumn<bool>("failOpen");
    QTest::addColumn<bool>("without0000");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<bool>>("enabled");
    QTest::addColumn<QList<int>>("messages");
    QTest::newRow("answers") << false << false << false << kInverterReply << true
                             << QList<bool>{true} << QList<int>{};
    QTest::newRow("silent") << false << false << false << QByteArray() << false
                            << QList<bool>{false} << QList<int>{};
    QTest::newRow("port does not open")
        << false << true << false << kInverterReply << false << QList<bool>{false} << QList<int>{3};
    QTest::newRow("no 0000 in the table")
        << false << false << true << kInverterReply << false << QList<bool>{false} << QList<int>{};
    QTest::newRow("monitoring: nothing touched")
        << true << false << false << kInverterReply << false << QList<bool>{} << QList<int>{};
}

void TestTransact::communicationCheck() {
    QFETCH(bool, monitorBusy);
    QFETCH(bool, failOpen);
    QFETCH(bool, without0000);
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    QFETCH(QList<bool>, enabled);
    QFETCH(QList<int>, messages);
    Link l;
    const int opensBefore = l.port.opens;
    l.flags.MonitorBusy = monitorBusy;
    l.port.failOpen = failOpen;
    if (without0000) {
        l.f.table.At(0, ComNo) = "0AAA";
        l.f.table.Finish(l.f.table.Disp());
    }
    l.port.replies.enqueue({reply, 5});
    QCOMPARE(l.link.CommunicationCheck(), ok);
    QCOMPARE(l.enabled, enabled);
    QCOMPARE(l.f.dialogs.Numbers(), messages);
    if (monitorBusy)
        QCOMPARE(l.port.opens, opensBefore);
    if (failOpen)
        QCOMPARE(l.link.indicator.Current(), CommIndicator::NoLink);
}

void TestTransact::inverterTypeCheck_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("capacity");
    QTest::addColumn<QString>("text"); // empty: no warning
    QTest::newRow("as loaded") << 3 << 1 << "";
    QTest::newRow("other capacity") << 3 << 2 << "M79AB-2K\n\nM76\n";
    QTest::newRow("unknown capacity") << 3 << 9 << "M79ABErr\n\nM78\n";
    QTest::newRow("other type") << 65 << 0 << "M79CDErr\n\nM75\nM78";
    QTest::newRow("unknown type") << 7 << 1 << "M79ErrErr\n\nM77\nM78";
}

void TestTransact::inverterTypeCheck() {
    QFETCH(int, type);
    QFETCH(int, capacity);
    QFETCH(QString, text);
    Link l;
    l.f.tree.Write("dat/AB(1)/AB(Eng).inv", "0000,0,10,A,F00,,2,0,0,400,0,0,#,1,-,0,1\r\n"
                                            "FB91,0,0,B,M,,2,0,0,999,0,0,#,1,RAM,1,0\r\n"
                                            "FB07,0,0,C,M,,2,0,0,999,0,0,#,1,-,1,0\r\n"
                                            "FB05,0,0,D,M,,2,0,0,999,0,0,#,1,-,1,0\r\n");
    l.f.Load();
    l.port.replies.enqueue(
        {Hex("2F50FB9101CF") + "x", 1}); // access write echo (sum is not checked here)
    l.port.replies.enqueue({InverterReply('R', 0xFB07, type), 1});
    l.port.replies.enqueue({InverterReply('R', 0xFB05, capacity), 1});
    l.link.InverterTypeCheck(Catalogue(l.f.paths),
                             InverterIdentity{"AB", "-1K", "1", "English", "Eng"});
    QCOMPARE(l.port.sent.first(), EncodeInverterRequest(Request{"FB91", false, 'P', "463", {}}));
    if (text.isEmpty()) {
        QVERIFY(l.f.dialogs.messages.isEmpty());
        return;
    }
    QCOMPARE(l.f.dialogs.Numbers(), QList<int>{79});
    QCOMPARE(l.f.dialogs.messages.first().text, text);
    QCOMPARE(l.f.dialogs.messages.first().icon, MsgIcon::Exclamation);
}

void TestTransact::replyToRaw_data() {
    QTest::addColumn<quint32>("reply");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<bool>("negativeLow");
    QTest::addColumn<qint64>("raw");
    QTest::newRow("unsigned 16") << 0xFFFFu << false << false << qint64(65535);
    QTest::newRow("signed 16") << 0xFFFFu << false << true << qint64(-1);
    QTest::newRow("signed 32") << 0xFFFFFFFEu << true << true << qint64(-2);
    QTest::newRow("unsigned 32") << 0xFFFFFFFEu << true << false << qint64(4294967294);
    QTest::newRow("MODBUS reply of a 4-byte signed") << 0xFFFFu << false << true << qint64(-1);
}

void TestTransact::replyToRaw() {
    QFETCH(quint32, reply);
    QFETCH(bool, wide);
    QFETCH(bool, negativeLow);
    QFETCH(qint64, raw);
    QCOMPARE(ReplyToRaw(reply, wide, negativeLow), raw);
}

// The key pad's panel read: its own frames, ten data bytes, a check that
// must hold, and twice the time-out in the inverter protocol.
void TestTransact::panelRead_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<int>("id"); // -1 no number
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<qint64>("delay");
    QTest::addColumn<bool>("read");
    const QByteArray data = Hex("0607083F0000000001FF");
    const auto inverter = [&](const QByteArray& head, bool damaged = false) {
        QByteArray r = head + data;
        r.append(char(ByteSum(r.constData(), r.size()) + (damaged ? 1 : 0)));
        return r;
    };
    QTest::newRow("inverter") << Protocol::Inverter << -1 << Hex("2F52FC108D")
                              << inverter(Hex("2F52FC10")) << qint64(0) << true;
    QTest::newRow("inverter, number byte") << Protocol::Inverter << 5 << Hex("2F0552FC1092")
                                           << inverter(Hex("2F0552FC10")) << qint64(0) << true;
    QTest::newRow("inverter, damaged checksum")
        << Protocol::Inverter << -1 << Hex("2F52FC108D") << inverter(Hex("2F52FC10"), true)
        << qint64(0) << false;
    QTest::newRow("inverter, within twice the time-out")
        << Protocol::Inverter << -1 << Hex("2F52FC108D") << inverter(Hex("2F52FC10")) << qint64(390)
        << true;
    QTest::newRow("inverter, beyond twice the time-out")
        << Protocol::Inverter << -1 << Hex("2F52FC108D") << inverter(Hex("2F52FC10")) << qint64(410)
        << false;
    QTest::newRow("modbus") << Protocol::Modbus << 5 << WithCrc(Hex("0503FC100005"))
                            << WithCrc(Hex("05030A") + data) << qint64(0) << true;
    QTest::newRow("modbus, one time-out only")
        << Protocol::Modbus << 5 << WithCrc(Hex("0503FC100005")) << WithCrc(Hex("05030A") + data)
        << qint64(210) << false;
    QByteArray badCrc = WithCrc(Hex("05030A") + data);
    badCrc[badCrc.size() - 1] = char(badCrc.back() ^ 1);
    QTest::newRow("modbus, damaged CRC")
        << Protocol::Modbus << 5 << WithCrc(Hex("0503FC100005")) << badCrc << qint64(0) << false;
}

void TestTransact::panelRead() {
    QFETCH(Protocol, protocol);
    QFETCH(int, id);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    QFETCH(qint64, delay);
    QFETCH(bool, read);
    Link l;
    l.link.settings.protocol = protocol;
    l.link.settings.delay = 200;
    l.link.settings.appendNo = id >= 0;
    l.link.settings.id = std::max(id, 0);
    l.port.replies.enqueue({reply, delay});
    const auto block = l.link.ReadPanel();
    QCOMPARE(l.port.sent, QList<QByteArray>{request});
    QCOMPARE(block.has_value(), read);
    if (read)
        QCOMPARE(*block, Hex("0607083F0000000001FF"));
    QCOMPARE(l.link.indicator.Current(), read ? CommIndicator::Ready : CommIndicator::NoLink);
    QCOMPARE(l.port.rtsDropped, 1);
}

QTEST_GUILESS_MAIN(TestTransact)
#include "tst_Transact.moc"
