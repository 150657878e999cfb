#include "protocol/frames.h"

#include <QTest>

// Requests must match the meter's byte layout exactly; the meter ignores anything else.
class TestFrames : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandCodes()
    {
        QCOMPARE(int(Frames::DATA_REQ_SYSINFO), 0x11);
        QCOMPARE(int(Frames::DATA_RES_SYSINFO), 0x12);
        QCOMPARE(int(Frames::DATA_REQ_CWDMDATA), 0x21);
        QCOMPARE(int(Frames::DATA_RES_CWDMDATA), 0x22);
    }

    void systemInfoRequest()
    {
        QCOMPARE(Frames::systemInfoRequest().toHex(' '), QByteArray("02 11 00 05 03 00 00"));
    }

    void dataRequest_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("0") << 0 << QByteArray("02 21 00 07 00 00 03 00 00");
        QTest::newRow("258") << 258 << QByteArray("02 21 00 07 01 02 03 00 00");
        QTest::newRow("65535") << 65535 << QByteArray("02 21 00 07 ff ff 03 00 00");
        QTest::newRow("65536 wraps to 0") << 65536 << QByteArray("02 21 00 07 00 00 03 00 00");
        QTest::newRow("70000 modulo 65536") << 70000 << QByteArray("02 21 00 07 11 70 03 00 00");
    }
    void dataRequest()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Frames::dataRequest(index).toHex(' '), bytes);
    }

    void data96Request_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("half");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("5 second half") << 5 << 1 << QByteArray("02 21 00 08 00 05 01 03 00 00");
        QTest::newRow("0 first half") << 0 << 0 << QByteArray("02 21 00 08 00 00 00 03 00 00");
        QTest::newRow("258 first half") << 258 << 0 << QByteArray("02 21 00 08 01 02 00 03 00 00");
        QTest::newRow("65536 wraps") << 65536 << 1 << QByteArray("02 21 00 08 00 00 01 03 00 00");
        QTest::newRow("70000 modulo") << 70000 << 1 << QByteArray("02 21 00 08 11 70 01 03 00 00");
    }
    void data96Request()
    {
        QFETCH(int, index);
        QFETCH(int, half);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Frames::data96Request(index, quint8(half)).toHex(' '), bytes);
    }
};

QTEST_GUILESS_MAIN(TestFrames)
#include "tst_frames.moc"
