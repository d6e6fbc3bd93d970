// The two frame codecs: the worked examples of both protocols, reply lengths,
// checks and decoding, and the conversion of value texts.
#include "comm/FrameCodec.h"

#include <QTest>

using namespace vdk;

Q_DECLARE_METATYPE(vdk::Protocol)
Q_DECLARE_METATYPE(vdk::Request)

namespace {
Request Make(const QString& comNo, char command, const QString& value = {},
             Addressing::Mode mode = Addressing::None, int number = 0, bool wide = false) {
    return Request{comNo, wide, command, value, Addressing{mode, number}};
}
QByteArray Hex(const char* text) {
    return QByteArray::fromHex(text);
}
} // namespace

class TestFrameCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void requests_data();
    void requests();
    void replyLengths_data();
    void replyLengths();
    void crcCheckValue();
    void inverterReplies_data();
    void inverterReplies();
    void modbusReplies_data();
    void modbusReplies();
    void valueFromText_data();
    void valueFromText();
};

void TestFrameCodec::requests_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<Request>("request");
    QTest::addColumn<QByteArray>("frame");
    const auto inv = Protocol::Inverter;
    const auto mb = Protocol::Modbus;
    QTest::newRow("inv read FA10") << inv << Make("FA10", 'R') << Hex("2F52FA108B");
    QTest::newRow("inv read FA10 to 1")
        << inv << Make("FA10", 'R', {}, Addressing::Number, 1) << Hex("2F0152FA108C");
    QTest::newRow("inv RAM write 600") << inv << Make("FA10", 'P', "600") << Hex("2F50FA100258E3");
    QTest::newRow("inv EEPROM write broadcast")
        << inv << Make("FA10", 'W', "600", Addressing::Broadcast) << Hex("2FFF57FA100258E9");
    QTest::newRow("inv 4-byte read")
        << inv << Make("FA10", 'R', {}, Addressing::None, 0, true) << Hex("2F4C52FA10D7");
    QTest::newRow("inv lower-case number") << inv << Make("fa10", 'R') << Hex("2F52FA108B");
    QTest::newRow("inv -1 on 2 bytes") << inv << Make("0001", 'P', "-1") << Hex("2F500001FFFF7E");
    QTest::newRow("inv 70000 keeps the low 16 bits")
        << inv << Make("0001", 'P', "70000") << Hex("2F500001117001");
    QTest::newRow("inv 4-byte write -2")
        << inv << Make("0001", 'P', "-2", Addressing::None, 0, true) << Hex("2F4C500001FFFFFFFEC7");
    QTest::newRow("inv 4-byte write above 2147483647 goes whole")
        << inv << Make("FE14", 'P', "3000000000", Addressing::None, 0, true)
        << Hex("2F4C50FE14B2D05E00BD");
    QTest::newRow("mb read FA10 default address")
        << mb << Make("FA10", 'R') << Hex("FB03FA100001A14D");
    QTest::newRow("mb read FA10 from 1")
        << mb << Make("FA10", 'R', {}, Addressing::Number, 1) << Hex("0103FA100001B517");
    QTest::newRow("mb write 600 to 1")
        << mb << Make("FA10", 'P', "600", Addressing::Number, 1) << Hex("0106FA100258B84D");
    QTest::newRow("mb W and P are the same")
        << mb << Make("FA10", 'W', "600", Addressing::Number, 1) << Hex("0106FA100258B84D");
    QTest::newRow("mb broadcast write")
        << mb << Make("FA10", 'W', "600", Addressing::Broadcast) << Hex("0006FA100258B99C");
    QTest::newRow("mb ignores the width")
        << mb << Make("FA10", 'R', {}, Addressing::None, 0, true) << Hex("FB03FA100001A14D");
}

void TestFrameCodec::requests() {
    QFETCH(Protocol, protocol);
    QFETCH(Request, request);
    QFETCH(QByteArray, frame);
    const QByteArray encoded = protocol == Protocol::Inverter ? EncodeInverterRequest(request)
                                                              : EncodeModbusRequest(request);
    QCOMPARE(encoded.toHex(' '), frame.toHex(' '));
}

void TestFrameCodec::replyLengths_data() {
    QTest::addColumn<Request>("request");
    QTest::addColumn<int>("inverter");
    QTest::addColumn<int>("modbus");
    QTest::newRow("read") << Make("FA10", 'R') << 7 << 7;
    QTest::newRow("read with number") << Make("FA10", 'R', {}, Addressing::Number, 3) << 8 << 7;
    QTest::newRow("broadcast still waits")
        << Make("FA10", 'W', "1", Addressing::Broadcast) << 8 << 8;
    QTest::newRow("4-byte") << Make("FA10", 'R', {}, Addressing::None, 0, true) << 10 << 7;
    QTest::newRow("4-byte with number")
        << Make("FA10", 'P', "1", Addressing::Number, 1, true) << 11 << 8;
    QTest::newRow("FC10 read: panel block") << Make("FC10", 'R') << 15 << 7;
    QTest::newRow("FC10 read with number")
        << Make("fc10", 'R', {}, Addressing::Number, 1) << 15 << 7;
    QTest::newRow("FC10 write: ordinary") << Make("FC10", 'P', "1") << 7 << 8;
}

void TestFrameCodec::replyLengths() {
    QFETCH(Request, request);
    QFETCH(int, inverter);
    QFETCH(int, modbus);
    QCOMPARE(InverterReplyLength(request), inverter);
    QCOMPARE(ModbusReplyLength(request), modbus);
}

void TestFrameCodec::crcCheckValue() {
    QCOMPARE(Crc16("123456789", 9), quint16(0x4B37));
    QCOMPARE(Crc16("", 0), quint16(0xFFFF));
}

void TestFrameCodec::inverterReplies_data() {
    QTest::addColumn<Request>("request");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<quint32>("value");
    QTest::newRow("2-byte") << Make("FA10", 'R') << Hex("2F52FA100258E5") << true << 600u;
    QTest::newRow("0xFFFF is 65535")
        << Make("0001", 'R') << Hex("2F520001FFFF80") << true << 65535u;
    QTest::newRow("bad sum") << Make("FA10", 'R') << Hex("2F52FA100258E6") << false << 600u;
    QTest::newRow("extra bytes ignored")
        << Make("FA10", 'R') << Hex("2F52FA100258E5AABB") << true << 600u;
    QTest::newRow("with number byte")
        << Make("FA10", 'R', {}, Addressing::Number, 1) << Hex("2F0152FA100258E6") << true << 600u;
    QTest::newRow("4-byte") << Make("FA10", 'R', {}, Addressing::None, 0, true)
                            << Hex("2F4C52FA10FFFFFFFED2") << true << 0xFFFFFFFEu;
    QTest::newRow("short reply") << Make("FA10", 'R') << Hex("2F52FA10") << false << 0u;
}

void TestFrameCodec::inverterReplies() {
    QFETCH(Request, request);
    QFETCH(QByteArray, reply);
    QFETCH(bool, valid);
    QFETCH(quint32, value);
    QCOMPARE(CheckInverterReply(reply, InverterReplyLength(request)), valid);
    QCOMPARE(DecodeInverterReply(reply, request), value);
}

void TestFrameCodec::modbusReplies_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("error");
    QTest::addColumn<quint32>("value");
    QTest::newRow("read 600") << Hex("0103020258B8DE") << 7 << true << false << 600u;
    QTest::newRow("write echo") << Hex("0106FA100258B84D") << 8 << true << false << 600u;
    QByteArray wrongCount = Hex("01030702580000");
    const quint16 crc = Crc16(wrongCount.constData(), 5);
    wrongCount[5] = char(crc & 0xFF);
    wrongCount[6] = char(crc >> 8);
    QTest::newRow("wrong byte count, right CRC") << wrongCount << 7 << true << false << 600u;
    QTest::newRow("bad CRC") << Hex("0103020258B8DF") << 7 << false << false << 600u;
    QTest::newRow("other function code") << Hex("01840202584000") << 7 << false << true << 0u;
}

void TestFrameCodec::modbusReplies() {
    QFETCH(QByteArray, reply);
    QFETCH(int, length);
    QFETCH(bool, valid);
    QFETCH(bool, error);
    QFETCH(quint32, value);
    QCOMPARE(CheckModbusReply(reply, length), valid);
    bool flag = false;
    QCOMPARE(DecodeModbusReply(reply, flag), value);
    QCOMPARE(flag, error);
}

void TestFrameCodec::valueFromText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");
    QTest::newRow("plain") << "600" << qint64(600);
    QTest::newRow("leading space and sign") << "  -12" << qint64(-12);
    QTest::newRow("digits up to a non-digit") << "12.7" << qint64(12);
    QTest::newRow("no digits") << "abc" << qint64(0);
    QTest::newRow("empty") << "" << qint64(0);
    QTest::newRow("saturates high") << "99999999999999999999" << qint64(4294967295);
    QTest::newRow("saturates low") << "-99999999999" << qint64(-2147483647 - 1);
    QTest::newRow("the whole unsigned 32-bit range") << "4294967295" << qint64(4294967295);
}

void TestFrameCodec::valueFromText() {
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QCOMPARE(ValueFromText(text), value);
}

QTEST_GUILESS_MAIN(TestFrameCodec)
#include "tst_FrameCodec.moc"
