#include "protocol/decoder.h"
#include "tests/framebuilder.h"
#include "tests/testsupport.h"

#include <QTest>

using Decoder::DecoderState;
using Decoder::HalfArrived;
using Decoder::SystemInfo;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// Version field bytes in frame order: patch, minor, major, unused.
QByteArray version(int major, int minor, int patch, int top = 0)
{
    const char bytes[] = {char(patch), char(minor), char(major), char(top)};
    return QByteArray(bytes, 4);
}

// A system information answer: product, separators and serial from offset 4, then hardware
// version, firmware version, 24 bytes of build time, the end byte and two trailers.
QByteArray sysInfo(const QByteArray& product, const QByteArray& separators,
                   const QByteArray& serial, const QByteArray& hw = version(1, 0, 0),
                   const QByteArray& fw = version(1, 0, 0),
                   const QByteArray& build = "2024-05-01 12:00:00")
{
    const QByteArray body = product + separators + serial;
    FrameBuilder b(0x12, 4 + body.size() + 32);
    b.bytes(4, body);
    b.bytes(4 + body.size(), hw);
    b.bytes(8 + body.size(), fw);
    b.bytes(12 + body.size(), build.left(24));
    return b.frame();
}

SystemInfo decodeInfo(const QByteArray& read, DecoderState& state)
{
    const Decoder::Decoded d = Decoder::decodeRead(read, state);
    if (!std::holds_alternative<SystemInfo>(d))
        return SystemInfo{-1, {}, {}, 0, 0, {}};
    return std::get<SystemInfo>(d);
}

// A CWDM18 record of the early layout, as a probe that records are (or are not) decoded.
QByteArray cwdm18Record(int count)
{
    FrameBuilder b(0x22, 68);
    b.u16be(4, 3).u16be(6, quint16(count)).u16le(8, quint16(-1234));
    return b.frame();
}

// A DWDM-96 half frame of the record whose 324-byte image is given.
QByteArray half96(const QByteArray& image, int half, quint8 flag, int total, int count)
{
    FrameBuilder b(0x22, 171);
    b.u16be(4, quint16(total)).u16be(6, quint16(count)).u8(8, flag);
    b.bytes(9, image.mid(half * 162, 162));
    return b.frame();
}

QByteArray image96(int seed)
{
    FrameBuilder img(0, 324);
    for (int i = 0; i < 96; ++i)
        img.u16le(2 * i, quint16(qint16(-(seed * 100 + i * 7))));
    img.u32le(288, TestSupport::dateWord(2024, 5, uint(seed)))
        .u32le(292, TestSupport::timeWord(13, 14, 15));
    img.bytes(296, QByteArray("NAME96-").append(QByteArray::number(seed)).leftJustified(16, 'x'));
    // Unused image bytes carry noise that must not matter.
    img.u8(200, 0xAA).u8(323, 0x55);
    return img.payload();
}

} // namespace

// The framing rule, the system information answer, the device index mapping and the joining
// of DWDM-96 halves.
class TestDecoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void framing_data()
    {
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("9 bytes, n = L + 2") << hex("02120007410003 0000") << true;
        QTest::newRow("8 bytes, n = L + 1, end at n - 3") << hex("0212000741030000") << true;
        QTest::newRow("8 bytes, one trailer") << hex("0212000741000300") << false;
        QTest::newRow("request echoed") << hex("02110005030000") << true;
        QTest::newRow("two frames in one read") << hex("02110005030000 02110005030000") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("4 bytes") << hex("02120004") << false;
        QTest::newRow("wrong start byte") << hex("03120007410003 0000") << false;
        QTest::newRow("length too small") << hex("02120006410003 0000") << false;
        QTest::newRow("length too large") << hex("02120009410003 0000") << false;
        QTest::newRow("no end byte") << hex("02120007410004 0000") << false;
        QTest::newRow("garbage") << hex("deadbeef00112233") << false;
        QTest::newRow("split frame, first part") << hex("0212000741") << false;
    }
    void framing()
    {
        QFETCH(QByteArray, read);
        QFETCH(bool, accepted);
        QCOMPARE(Decoder::acceptFrame(read), accepted);
        if (!accepted) {
            DecoderState state;
            QVERIFY(std::holds_alternative<std::monostate>(Decoder::decodeRead(read, state)));
        }
    }

    // A read can pass the framing rule and still be too short for the fields an answer holds.
    void systemInfoTooShort_data()
    {
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<bool>("decoded");
        QTest::newRow("9 bytes") << hex("02120007410003 0000") << false;
        QTest::newRow("8 bytes, n = L + 1") << hex("0212000741030000") << false;
        FrameBuilder b38(0x12, 35);
        QTest::newRow("38 bytes") << b38.frame() << false;
        FrameBuilder b39(0x12, 36);
        QTest::newRow("39 bytes") << b39.frame() << true;
    }
    void systemInfoTooShort()
    {
        QFETCH(QByteArray, read);
        QFETCH(bool, decoded);
        QVERIFY(Decoder::acceptFrame(read));
        DecoderState state;
        state.devIndex = 2;
        QCOMPARE(std::holds_alternative<SystemInfo>(Decoder::decodeRead(read, state)), decoded);
        QCOMPARE(state.kind, decoded ? 2 : 0);
    }

    void systemInfo_data()
    {
        QTest::addColumn<int>("devIndex");
        QTest::addColumn<QByteArray>("read");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("serial");

        QTest::newRow("separators 00 FF 00")
            << 2 << sysInfo("OPM-720", hex("00ff00"), "SN0042") << "OPM-720" << "SN0042";
        QTest::newRow("one separator") << 2 << sysInfo("Quibrant", hex("00"), "Q-77")
                                       << "Quibrant" << "Q-77";
        QTest::newRow("FF separators") << 3 << sysInfo("V8", hex("ffff"), "123") << "V8" << "123";
        // Serial from 17 on CWDM-18 firmware 3.7 and later, whatever the separators say.
        const QByteArray fixed = sysInfo("PROD", hex("00"), "XXXXXXXXSERIAL99", version(1, 0, 0),
                                         version(3, 7, 0));
        QTest::newRow("CWDM18 fw 3.7.0 serial at 17") << 1 << fixed << "PROD" << "SERIAL99";
        QTest::newRow("DWDM48 fw 3.7.0 serial after separator")
            << 2 << fixed << "PROD" << "XXXXXXXXSERIAL99";
        QTest::newRow("CWDM18 fw 3.6.9 serial after separator")
            << 1
            << sysInfo("PROD", hex("00"), "XXXXXXXXSERIAL99", version(1, 0, 0), version(3, 6, 9))
            << "PROD" << "XXXXXXXXSERIAL99";
        QTest::newRow("CWDM18 fw 4.0.0 serial at 17")
            << 1
            << sysInfo("PROD", hex("00"), "XXXXXXXXSERIAL99", version(1, 0, 0), version(4, 0, 0))
            << "PROD" << "SERIAL99";
        QTest::newRow("texts longer than 19 are cut")
            << 2 << sysInfo("ABCDEFGHIJKLMNOPQRSTUVWXYZ", hex("00"), "0123456789012345678901234")
            << "ABCDEFGHIJKLMNOPQRS" << "0123456789012345678";
        QTest::newRow("exactly 19") << 2
                                    << sysInfo("ABCDEFGHIJKLMNOPQRS", hex("00"),
                                               "0123456789012345678")
                                    << "ABCDEFGHIJKLMNOPQRS" << "0123456789012345678";
        // With no separator there is no serial start; the header bytes are never a serial.
        QTest::newRow("only separators") << 2 << sysInfo("", hex("0000"), "", hex("00000000"),
                                                         hex("00000000"), QByteArray(24, '\0'))
                                         << "" << "";
        QTest::newRow("empty serial") << 2 << sysInfo("PN", hex("00"), "") << "PN" << "";
    }
    void systemInfo()
    {
        QFETCH(int, devIndex);
        QFETCH(QByteArray, read);
        QFETCH(QString, product);
        QFETCH(QString, serial);
        QVERIFY(Decoder::acceptFrame(read));
        DecoderState state;
        state.devIndex = devIndex;
        const SystemInfo info = decodeInfo(read, state);
        QCOMPARE(info.device, kindForDeviceIndex(devIndex)->code);
        QCOMPARE(info.productNumber, product);
        QCOMPARE(info.serialNumber, serial);
    }

    void versionsAndBuildTime_data()
    {
        QTest::addColumn<QByteArray>("build");
        QTest::addColumn<QString>("buildTime");
        QTest::newRow("zero padded") << QByteArray("Mar 05 2024 10:11:12") << "Mar 05 2024 10:11:12";
        QTest::newRow("all 24 bytes") << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWX")
                                      << "ABCDEFGHIJKLMNOPQRSTUVWX";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void versionsAndBuildTime()
    {
        QFETCH(QByteArray, build);
        QFETCH(QString, buildTime);
        DecoderState state;
        state.devIndex = 2;
        const SystemInfo info = decodeInfo(
            sysInfo("PN", hex("00"), "SN", version(1, 2, 10, 7), version(3, 4, 5, 9), build), state);
        QCOMPARE(info.hwVer, 0x0701020Au);
        QCOMPARE(info.fwVer, 0x09030405u);
        QCOMPARE(info.buildTime, buildTime);
        QCOMPARE(int(state.hwVer.major), 1);
        QCOMPARE(int(state.hwVer.minor), 2);
        QCOMPARE(int(state.hwVer.patch), 10);
        QCOMPARE(state.fwVer.number(), 345);
    }

    void deviceIndexMapping_data()
    {
        QTest::addColumn<int>("devIndex");
        QTest::addColumn<int>("kind");
        QTest::newRow("0 none") << 0 << 0;
        QTest::newRow("1 CWDM18") << 1 << 1;
        QTest::newRow("2 DWDM48") << 2 << 2;
        QTest::newRow("3 is DWDM96") << 3 << 4;
        QTest::newRow("4 is Vendral8") << 4 << 3;
        for (int i = 5; i <= 13; ++i)
            QTest::newRow(qPrintable(QString::number(i))) << i << i;
        QTest::newRow("14 keeps the kind") << 14 << 0;
        QTest::newRow("-1 keeps the kind") << -1 << 0;
    }
    void deviceIndexMapping()
    {
        QFETCH(int, devIndex);
        QFETCH(int, kind);
        DecoderState state;
        state.devIndex = devIndex;
        QCOMPARE(decodeInfo(sysInfo("PN", hex("00"), "SN"), state).device, kind);
        QCOMPARE(state.kind, kind);
    }

    // An index outside the table leaves the kind of an earlier answer in place.
    void unknownIndexKeepsKind()
    {
        DecoderState state;
        state.kind = 6;
        state.devIndex = 20;
        QCOMPARE(decodeInfo(sysInfo("PN", hex("00"), "SN"), state).device, 6);
    }

    void recordsIgnoredWithoutKind_data()
    {
        QTest::addColumn<int>("devIndex");
        QTest::addColumn<bool>("decoded");
        QTest::newRow("index 0") << 0 << false;
        QTest::newRow("index 1") << 1 << true;
    }
    void recordsIgnoredWithoutKind()
    {
        QFETCH(int, devIndex);
        QFETCH(bool, decoded);
        DecoderState state;
        state.devIndex = devIndex;
        QVERIFY(std::holds_alternative<std::monostate>(Decoder::decodeRead(cwdm18Record(0), state)));
        decodeInfo(sysInfo("PN", hex("00"), "SN"), state);
        QCOMPARE(std::holds_alternative<Measurement>(Decoder::decodeRead(cwdm18Record(0), state)),
                 decoded);
    }

    void otherCommandsIgnored()
    {
        DecoderState state;
        state.kind = 1;
        FrameBuilder b(0x33, 68);
        QVERIFY(Decoder::acceptFrame(b.frame()));
        QVERIFY(std::holds_alternative<std::monostate>(Decoder::decodeRead(b.frame(), state)));
    }

    // Sequences of DWDM-96 halves (first or second, record index) and what each must produce:
    // "semi", "record" or "-" for nothing.
    void halves96_data()
    {
        QTest::addColumn<QStringList>("halves");
        QTest::addColumn<QStringList>("results");
        QTest::newRow("first then second")
            << QStringList{"1:5", "2:5"} << QStringList{"semi", "record"};
        QTest::newRow("second alone") << QStringList{"2:5"} << QStringList{"-"};
        QTest::newRow("torn: second of another record")
            << QStringList{"1:5", "2:6"} << QStringList{"semi", "-"};
        QTest::newRow("torn, then the right second half")
            << QStringList{"1:5", "2:4", "2:5"} << QStringList{"semi", "-", "record"};
        QTest::newRow("joined first half is forgotten")
            << QStringList{"1:5", "2:5", "2:5"} << QStringList{"semi", "record", "-"};
        QTest::newRow("newer first half replaces the older")
            << QStringList{"1:5", "1:6", "2:5", "2:6"} << QStringList{"semi", "semi", "-", "record"};
        QTest::newRow("any non-zero flag is a second half")
            << QStringList{"1:7", "9:7"} << QStringList{"semi", "record"};
    }
    void halves96()
    {
        QFETCH(QStringList, halves);
        QFETCH(QStringList, results);
        DecoderState state;
        state.kind = 4;
        for (int i = 0; i < halves.size(); ++i) {
            const int flag = halves[i].section(':', 0, 0).toInt() - 1;
            const int count = halves[i].section(':', 1, 1).toInt();
            const QByteArray image = image96(count);
            const QByteArray read = half96(image, flag == 0 ? 0 : 1, quint8(flag), 20 + i, count);
            QVERIFY(Decoder::acceptFrame(read));
            const Decoder::Decoded d = Decoder::decodeRead(read, state);
            if (results[i] == "-") {
                QVERIFY2(std::holds_alternative<std::monostate>(d), qPrintable(halves[i]));
                continue;
            }
            if (results[i] == "semi") {
                QVERIFY2(std::holds_alternative<HalfArrived>(d), qPrintable(halves[i]));
                const HalfArrived h = std::get<HalfArrived>(d);
                QCOMPARE(h.count, count);
                QCOMPARE(int(h.flag), 1);
                continue;
            }
            QVERIFY2(std::holds_alternative<Measurement>(d), qPrintable(halves[i]));
            const Measurement r = std::get<Measurement>(d);
            QCOMPARE(r.code(), int(Kind::DWDM96));
            QCOMPARE(r.index, count);
            QCOMPARE(r.total, 20 + i);
            QCOMPARE(r.readings.size(), 96);
            for (int v = 0; v < 96; ++v)
                QCOMPARE(r.readings[v], qint16(-(count * 100 + v * 7)));
            QCOMPARE(r.dateWord, TestSupport::dateWord(2024, 5, uint(count)));
            QCOMPARE(r.timeWord, TestSupport::timeWord(13, 14, 15));
            QCOMPARE(r.name, image.mid(296, 16));
            // A name of all 16 bytes has no terminating zero.
            QCOMPARE(r.nameText(), QString::fromLatin1(image.mid(296, 16)));
        }
    }

    void half96TooShort_data()
    {
        QTest::addColumn<int>("payloadEnd");
        QTest::addColumn<bool>("decoded");
        QTest::newRow("162 data bytes") << 171 << true;
        QTest::newRow("161 data bytes") << 170 << false;
        QTest::newRow("header only") << 8 << false;
        QTest::newRow("no count") << 6 << false;
    }
    void half96TooShort()
    {
        QFETCH(int, payloadEnd);
        QFETCH(bool, decoded);
        DecoderState state;
        state.kind = 4;
        FrameBuilder b(0x22, payloadEnd);
        if (payloadEnd >= 8)
            b.u16be(4, 1).u16be(6, 0);
        QVERIFY(Decoder::acceptFrame(b.frame()));
        QCOMPARE(std::holds_alternative<HalfArrived>(Decoder::decodeRead(b.frame(), state)),
                 decoded);
        QCOMPARE(state.image96Count, decoded ? 0 : -1);
    }
};

QTEST_GUILESS_MAIN(TestDecoder)
#include "tst_decoder.moc"
