// Finding requests in the byte stream: frames in pieces, several at once, and
// the garbage a line carries (noise, damaged frames, a request repeated
// without its first byte) skipped without losing the request behind it.
#include "SimTables.h"
#include "sim/RequestParser.h"

#include <QTest>

using namespace vdk;

Q_DECLARE_METATYPE(vdk::Protocol)

class TestRequestParser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void feed_data();
    void feed();
};

void TestRequestParser::feed_data() {
    QTest::addColumn<Protocol>("protocol");
    QTest::addColumn<QByteArrayList>("chunks"); // an empty chunk: the line falls silent
    QTest::addColumn<QByteArrayList>("frames");
    QTest::addColumn<bool>("pending");

    const auto I = Protocol::Inverter;
    const QByteArray read = Hex("2F 52 FA 10 8B");
    const QByteArray write = Hex("2F 50 FA 10 02 58 E3");
    QTest::newRow("two requests in one piece")
        << I << QByteArrayList{read + write} << QByteArrayList{read, write} << false;
    QTest::newRow("a request in two pieces")
        << I << QByteArrayList{write.first(3), write.sliced(3)} << QByteArrayList{write} << false;
    QTest::newRow("noise before a request")
        << I << QByteArrayList{Hex("00 FF 13") + read} << QByteArrayList{read} << false;
    QTest::newRow("repeat without header, then a request")
        << I << QByteArrayList{Hex("52 00 00 52"), read} << QByteArrayList{read} << false;
    QTest::newRow("damaged checksum skipped")
        << I << QByteArrayList{Hex("2F 52 FA 10 8C") + read} << QByteArrayList{read} << false;
    QTest::newRow("cut-off request, then a whole one")
        << I << QByteArrayList{write.first(4), read} << QByteArrayList{read} << false;
    QTest::newRow("incomplete request waits")
        << I << QByteArrayList{read.first(3)} << QByteArrayList{} << true;

    const auto M = Protocol::Modbus;
    const QByteArray mread = Hex("01 03 FA 10 00 01 B5 17");
    const QByteArray mwrite = Hex("01 06 FA 10 02 58 B8 4D");
    const QByteArray probeWithoutAddress = Hex("03 00 00 00 01 90 50");
    QTest::newRow("MODBUS two frames")
        << M << QByteArrayList{mread + mwrite} << QByteArrayList{mread, mwrite} << false;
    QTest::newRow("MODBUS frame in two pieces")
        << M << QByteArrayList{mread.first(3), mread.sliced(3)} << QByteArrayList{mread} << false;
    QTest::newRow("MODBUS repeat without address, then a frame")
        << M << QByteArrayList{probeWithoutAddress + mread} << QByteArrayList{mread} << false;
    QTest::newRow("MODBUS damaged CRC skipped")
        << M << QByteArrayList{Hex("01 03 FA 10 00 01 B5 18") + mwrite} << QByteArrayList{mwrite}
        << false;
    QTest::newRow("MODBUS silence drops a partial frame")
        << M << QByteArrayList{mread.first(3), QByteArray(), mread.sliced(3)} << QByteArrayList{}
        << true;
}

void TestRequestParser::feed() {
    QFETCH(Protocol, protocol);
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArrayList, frames);
    QFETCH(bool, pending);
    RequestParser parser(protocol);
    QByteArrayList found;
    for (const QByteArray& chunk : chunks) {
        if (chunk.isEmpty())
            parser.Reset();
        found += parser.Feed(chunk);
    }
    QCOMPARE(found, frames);
    QCOMPARE(parser.HasPending(), pending);
}

QTEST_GUILESS_MAIN(TestRequestParser)
#include "tst_RequestParser.moc"
