#include "protocol/decoder.h"
#include "tests/framebuilder.h"
#include "tests/testsupport.h"

#include <QTest>

#include <algorithm>

using Decoder::DecoderState;

namespace {

// One record layout as the meter lays it out, written out here independently of the decoder.
struct Case {
    const char* name;
    int kind;
    int hw;  // versions as major * 100 + minor * 10 + patch
    int fw;
    int values; // readings on the wire
    int stored; // readings the record keeps, the filler past those sent
    int date;
    int time;
    int name16;      // -1: no name expected
    int probeName;   // where the test puts name bytes anyway, to catch a name read by mistake
    int onOff;
    int onOffSize;
    int totalIndex;  // -1: no field
    int fixedTotalIndex;
    int mode;
    int polar;
    int payloadEnd;  // where the end byte goes; -1: right after the last field
    bool shortCase;  // whether a frame one byte short can be built for this variant
};

// clang-format off
const Case Cases[] = {
    {"CWDM18 fw 3.7.3",              1, 100, 373, 18, 18,  44,  48,  52,  52,  -1,  0,  -1, 0, -1, -1,  -1, true},
    {"CWDM18 fw 3.7.4",              1, 100, 374, 18, 18,  64,  68,  72,  72,  -1,  0,  -1, 0, -1, -1,  -1, true},
    {"DWDM48 fw 2.1.0",              2, 100, 210, 48, 50, 104, 108,  -1, 160,  -1,  0,  -1, 4, -1, -1, 176, true},
    {"DWDM48 fw 1.9.9",              2, 100, 199, 48, 50, 104, 108,  -1, 160,  -1,  0,  -1, 4, -1, -1, 176, true},
    {"DWDM48 fw 2.2.0",              2, 100, 220, 48, 50, 152, 156, 160, 160,  -1,  0,  -1, 4, -1, -1,  -1, true},
    {"DWDM48 flagged length 0x00C9", 2, 100, 220, 50, 50, 164, 168, 172, 172, 112, 52, 108, 0, -1, -1, 200, false},
    {"DWDM48 flagged fw 2.1.0",      2, 100, 210, 50, 50, 164, 168, 172, 172, 112, 52, 108, 0, -1, -1, 200, false},
    {"DWDM48 flagged length 0x01C9", 2, 100, 220, 50, 50, 164, 168, 172, 172, 112, 52, 108, 0, -1, -1, 456, false},
    {"Vendral8 hw 3.0.1 fw 1.2.8",   3, 301, 128,  6,  5,  20,  24,  28,  28,  -1,  0,  -1, 0, -1, -1,  -1, true},
    {"Vendral8 hw 3.0.1 fw 1.2.7",   3, 301, 127,  6,  5,  20,  24,  -1,  28,  -1,  0,  -1, 0, -1, -1,  44, true},
    {"Vendral8 hw 3.0.2 fw 1.2.8",   3, 302, 128,  6,  5,  20,  24,  -1,  28,  -1,  0,  -1, 0, -1, -1,  44, true},
    {"Vendral8 hw 3.0.3 fw 1.0.0",   3, 303, 100,  6,  5,  20,  24,  28,  28,  -1,  0,  -1, 0, -1, -1,  -1, true},
    {"Tarnex8 fw 4.0.0",             5, 100, 400, 10, 10,  28,  32,  -1,  36,  -1,  0,  -1, 0, -1, -1,  52, true},
    {"Tarnex8 fw 4.0.1",             5, 100, 401, 10, 10,  28,  32,  36,  36,  -1,  0,  -1, 0, -1, -1,  -1, true},
    {"Tarnex56 fw 1.3.6",            6, 100, 136, 56, 58, 176, 180,  -1, 184, 120, 60,  -1, 4, -1, -1, 200, true},
    {"Tarnex56 fw 1.3.7",            6, 100, 137, 56, 58, 176, 180, 184, 184, 120, 60,  -1, 4, -1, -1,  -1, true},
    {"Tarnex56 fw 1.9.9",            6, 100, 199, 56, 58, 176, 180, 184, 184, 120, 60,  -1, 4, -1, -1,  -1, true},
    {"Tarnex56 fw 2.0.0",            6, 100, 200, 58, 58, 184, 188, 192, 192, 124, 60, 220, 0, -1, -1,  -1, true},
    {"Tarnex57",                     7, 100, 100, 58, 58, 184, 188, 192, 192, 124, 60, 220, 0, -1, -1,  -1, true},
    {"Tarnex64",                     8, 100, 100, 65, 65, 208, 212, 216, 216, 124, 68, 244, 0, -1, -1,  -1, true},
    {"DWDM49TOTAL",                  9, 100, 100, 50, 50, 164, 168, 172, 172, 112, 52, 108, 0, -1, -1,  -1, true},
    {"MPO12",                       10, 100, 100, 12, 12,  36,  40,  44,  44,  -1,  0,  -1, 0, 32, 34,  -1, true},
    {"MPO24",                       11, 100, 100, 24, 24,  60,  64,  68,  68,  -1,  0,  -1, 0, 56, 58,  -1, true},
    {"MPO16",                       12, 100, 100, 16, 16,  44,  48,  52,  52,  -1,  0,  -1, 0, 40, 42,  -1, true},
    {"MPO32",                       13, 100, 100, 32, 32,  76,  80,  84,  84,  -1,  0,  -1, 0, 72, 74,  -1, true},
};
// clang-format on

Decoder::Version version(int number)
{
    return {quint8(number / 100), quint8(number / 10 % 10), quint8(number % 10)};
}

int lastFieldEnd(const Case& c)
{
    int end = 8 + 2 * c.values;
    end = std::max({end, c.date + 4, c.time + 4});
    if (c.name16 >= 0)
        end = std::max(end, c.name16 + 16);
    if (c.onOffSize > 0)
        end = std::max(end, c.onOff + c.onOffSize);
    if (c.totalIndex >= 0)
        end = std::max(end, c.totalIndex + 4);
    if (c.polar >= 0)
        end = std::max(end, c.polar + 2);
    return end;
}

// Positive and negative readings, different in every position.
qint16 power(int i)
{
    return qint16(i % 3 == 0 ? 150 + i : -(1000 + 37 * i));
}

const QByteArray Name16("ABCDEFGHIJKLMNOP");
constexpr quint32 Date = TestSupport::dateWord(2024, 12, 31);
constexpr quint32 Time = TestSupport::timeWord(23, 59, 58);

// Fields are written in the order that lets the later ones win where blocks overlap, as they
// do on the meter: on/off block first, the readings and the other fields over it.
QByteArray buildRecord(const Case& c, int payloadEnd, int total, int count)
{
    FrameBuilder b(0x22, payloadEnd);
    if (c.onOffSize > 0) {
        for (int i = 0; i < c.onOffSize && c.onOff + i < payloadEnd; ++i)
            b.u8(c.onOff + i, quint8(0x80 + i));
    }
    b.u16be(4, quint16(total)).u16be(6, quint16(count));
    for (int i = 0; i < c.values && 9 + 2 * i < payloadEnd; ++i)
        b.u16le(8 + 2 * i, quint16(power(i)));
    auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4 && at + i < payloadEnd; ++i)
            b.u8(at + i, quint8(v >> (8 * i)));
    };
    put32(c.date, Date);
    put32(c.time, Time);
    if (c.totalIndex >= 0)
        put32(c.totalIndex, quint32(-4711));
    if (c.mode >= 0)
        put32(c.mode, 0x0002u | 0x0001u << 16);  // mode 2, then polar 1
    if (c.probeName >= 0 && c.probeName < payloadEnd)
        b.bytes(c.probeName, Name16.left(payloadEnd - c.probeName));
    return b.frame();
}

DecoderState stateFor(const Case& c)
{
    DecoderState state;
    state.kind = c.kind;
    state.hwVer = version(c.hw);
    state.fwVer = version(c.fw);
    return state;
}

void addCaseRows(bool shortOnly)
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(Cases)); ++i) {
        if (!shortOnly || Cases[i].shortCase)
            QTest::newRow(Cases[i].name) << i;
    }
}

} // namespace

// Every record layout of every kind and firmware variant, decoded from frames built here.
class TestDecoderRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layouts_data() { addCaseRows(false); }
    void layouts()
    {
        QFETCH(int, index);
        const Case& c = Cases[index];
        const int payloadEnd = c.payloadEnd >= 0 ? c.payloadEnd : lastFieldEnd(c);
        const QByteArray read = buildRecord(c, payloadEnd, 300, 299);
        QVERIFY(Decoder::acceptFrame(read));
        DecoderState state = stateFor(c);
        const Decoder::Decoded d = Decoder::decodeRead(read, state);
        QVERIFY(std::holds_alternative<Measurement>(d));
        const Measurement r = std::get<Measurement>(d);

        QCOMPARE(r.code(), c.kind);
        QCOMPARE(r.total, 300);
        QCOMPARE(r.index, 299);
        QCOMPARE(r.readings.size(), c.stored);
        for (int i = 0; i < c.stored; ++i)
            QCOMPARE(r.readings[i], i < c.values ? power(i) : qint16(-9900));
        QCOMPARE(r.dateWord, Date);
        QCOMPARE(r.timeWord, Time);
        QCOMPARE(r.name, c.name16 >= 0 ? Name16 : QByteArray(16, '\0'));
        // A name of all 16 bytes ends where the field ends.
        QCOMPARE(r.nameText(), c.name16 >= 0 ? QString::fromLatin1(Name16) : QString());
        QCOMPARE(r.onOff, c.onOffSize > 0 ? read.mid(c.onOff, c.onOffSize) : QByteArray());
        QCOMPARE(r.onOff.size(), c.onOffSize);
        QCOMPARE(r.totalIndex, c.totalIndex >= 0 ? -4711 : c.fixedTotalIndex);
        QCOMPARE(r.mode, quint16(c.mode >= 0 ? 2 : 0));
        QCOMPARE(r.polar, quint16(c.polar >= 0 ? 1 : 0));
    }

    // A read one byte too short for its layout is dropped, never decoded from other bytes.
    void tooShort_data() { addCaseRows(true); }
    void tooShort()
    {
        QFETCH(int, index);
        const Case& c = Cases[index];
        const QByteArray read = buildRecord(c, lastFieldEnd(c) - 1, 5, 1);
        QVERIFY(Decoder::acceptFrame(read));
        QVERIFY(quint8(read.at(3)) != 0xC9);
        DecoderState state = stateFor(c);
        QVERIFY(std::holds_alternative<std::monostate>(Decoder::decodeRead(read, state)));
    }

    // A read whose length field counts one byte more (n = L + 1) passes the framing rule; its
    // fields are still checked against the end byte, not against the end of the read.
    void lengthOneMore_data() { addCaseRows(true); }
    void lengthOneMore()
    {
        QFETCH(int, index);
        const Case& c = Cases[index];
        const int payloadEnd = c.payloadEnd >= 0 ? c.payloadEnd : lastFieldEnd(c);
        for (const int end : {payloadEnd, lastFieldEnd(c) - 1}) {
            QByteArray read = buildRecord(c, end, 2, 1);
            const int length = read.size() - 1;
            read[2] = char(length >> 8);
            read[3] = char(length & 0xFF);
            QVERIFY(Decoder::acceptFrame(read));
            DecoderState state = stateFor(c);
            const Decoder::Decoded d = Decoder::decodeRead(read, state);
            QCOMPARE(std::holds_alternative<Measurement>(d), end == payloadEnd);
        }
    }
};

QTEST_GUILESS_MAIN(TestDecoderRecords)
#include "tst_decoder_records.moc"
