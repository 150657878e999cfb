#include "protocol/decoder.h"

#include "data/catalogue.h"
#include "data/limits.h"
#include "data/logging.h"
#include "protocol/frames.h"
#include "protocol/recordlayouts.h"

#include <algorithm>

namespace Decoder {

namespace {

// Every read handed in is at most 255 bytes, so int offsets are safe.
quint8 byteAt(const QByteArray& read, int i)
{
    return quint8(read.at(i));
}

quint16 u16le(const QByteArray& read, int i)
{
    return quint16(byteAt(read, i) | (byteAt(read, i + 1) << 8));
}

quint16 u16be(const QByteArray& read, int i)
{
    return quint16((byteAt(read, i) << 8) | byteAt(read, i + 1));
}

quint32 u32le(const QByteArray& read, int i)
{
    return quint32(byteAt(read, i)) | (quint32(byteAt(read, i + 1)) << 8)
        | (quint32(byteAt(read, i + 2)) << 16) | (quint32(byteAt(read, i + 3)) << 24);
}

// ASCII text of the bytes [from, to) up to the first zero byte (or 0xFF, where that ends the
// text too) and at most maxChars long.
QString text(const QByteArray& read, int from, int to, int maxChars, bool endsAtFF = false)
{
    QByteArray bytes = read.mid(from, std::max(0, std::min(to - from, maxChars)));
    for (int i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\0' || (endsAtFF && quint8(bytes.at(i)) == 0xFF)) {
            bytes.truncate(i);
            break;
        }
    }
    return QString::fromLatin1(bytes);
}

// The bytes of a zero-terminated name field: QByteArray keeps a zero after its data.
QString nameText(const QByteArray& name)
{
    return QString::fromLatin1(name.constData());
}

// Product and serial numbers are short labels: 19 characters are kept, more than a meter sends,
// and a bound for what the identity fields and the proposed file name show. A longer text is cut
// rather than rejected, so that such a meter still identifies itself and can be downloaded.
constexpr int MaxIdText = 19;
constexpr int BuildTimeSize = 24;
// The fixed fields of a system information answer, counted back from the end of the read.
constexpr int HwFromEnd = 35;
constexpr int FwFromEnd = 31;
constexpr int BuildTimeFromEnd = 27;
constexpr int ProductOffset = 4;
// The hardware version must not reach back into the header, where the product number starts.
constexpr int MinSystemInfoRead = HwFromEnd + ProductOffset;
constexpr int Cwdm18FixedSerialStart = 17;

Decoded decodeSystemInfo(const QByteArray& read, int length, DecoderState& state)
{
    const int n = read.size();
    qCDebug(lcDecoder) << "$ DATA_RES_SYSINFO (length:" << n << ")";
    if (n < MinSystemInfoRead)
        return {};

    const int hwAt = n - HwFromEnd;
    const int fwAt = n - FwFromEnd;
    const int timeAt = n - BuildTimeFromEnd;

    // The serial number follows the first run of 0x00 / 0xFF separators after the product.
    int serialStart = 0;
    bool separatorSeen = false;
    for (int i = ProductOffset; i < length - 1; ++i) {
        const quint8 b = byteAt(read, i);
        if (b == 0x00 || b == 0xFF) {
            separatorSeen = true;
        } else if (separatorSeen) {
            serialStart = i;
            break;
        }
    }
    qCDebug(lcDecoder).noquote() << "indexPN:" << ProductOffset << "indexSN:" << serialStart
                       << "indexHW:" << hwAt << "indexFW: " << fwAt << "indexTime:" << timeAt;
    qCDebug(lcDecoder) << "m_devIndex:" << state.devIndex;

    const Version fw{byteAt(read, fwAt + 2), byteAt(read, fwAt + 1), byteAt(read, fwAt)};
    const Version hw{byteAt(read, hwAt + 2), byteAt(read, hwAt + 1), byteAt(read, hwAt)};
    if (const KindInfo* kind = kindForDeviceIndex(state.devIndex))
        state.kind = kind->code;
    // CWDM-18 firmware from 3.7 on puts the serial number at a fixed place.
    if (state.devIndex == 1 && ((fw.major >= 3 && fw.minor >= 7) || fw.major >= 4))
        serialStart = Cwdm18FixedSerialStart;

    SystemInfo info;
    info.device = state.kind;
    // The product number ends at its first separator, 0xFF as well as 0x00.
    if (serialStart > ProductOffset)
        info.productNumber = text(read, ProductOffset, serialStart, MaxIdText, true);
    // Without a separator there is no serial number; the header bytes are not one.
    if (serialStart > 0)
        info.serialNumber = text(read, serialStart, hwAt, MaxIdText);
    info.hwVer = u32le(read, hwAt);
    info.fwVer = u32le(read, fwAt);
    qCDebug(lcDecoder) << "fwVer:" << info.fwVer << int(byteAt(read, fwAt)) << int(byteAt(read, fwAt + 1))
             << int(byteAt(read, fwAt + 2)) << int(byteAt(read, fwAt + 3));
    state.hwVer = hw;
    state.fwVer = fw;
    info.buildTime = text(read, timeAt, timeAt + BuildTimeSize, BuildTimeSize);
    return info;
}

// `values` readings from `at`, then the filler up to the `stored` readings of the kind's records;
// readings beyond those are not kept.
QVector<qint16> powers(const QByteArray& bytes, int at, int values, int stored)
{
    QVector<qint16> data(stored, FillerHundredths);
    for (int i = 0; i < values && i < stored; ++i)
        data[i] = qint16(u16le(bytes, at + 2 * i));
    return data;
}

Decoded decodeHalf96(const QByteArray& read, Measurement record, DecoderState& state)
{
    if (Half96Data + Half96Size > read.size() - 3)
        return {};
    const char* half = read.constData() + Half96Data;
    if (byteAt(read, Half96Flag) == 0) {
        std::copy(half, half + Half96Size, state.image96.begin());
        state.image96Count = record.index;
        return HalfArrived{record.index, 1};
    }
    // A second half joins only the first half of the same record; anything else would mix
    // two records into one.
    if (state.image96Count != record.index)
        return {};
    std::copy(half, half + Half96Size, state.image96.begin() + Half96Size);
    state.image96Count = -1;

    const QByteArray image(reinterpret_cast<const char*>(state.image96.data()), Image96Size);
    record.readings = powers(image, 0, Image96Values, record.kind->stored);
    record.dateWord = u32le(image, Image96Date);
    record.timeWord = u32le(image, Image96Time);
    record.name = image.mid(Image96Name, NameSize);
    return record;
}

void trace(const Measurement& m, const QByteArray& read, const RecordLayout& layout)
{
    switch (m.kind->trace) {
    case DecoderTrace::TotalAndCount:
        qCDebug(lcDecoder) << "total:" << m.total << m.index;
        break;
    case DecoderTrace::DateBytes:
        qCDebug(lcDecoder) << "date:" << int(byteAt(read, layout.date))
                           << int(byteAt(read, layout.date + 1))
                           << int(byteAt(read, layout.date + 2))
                           << int(byteAt(read, layout.date + 3));
        break;
    case DecoderTrace::NameWithColon:
        qCDebug(lcDecoder).noquote() << "name:" << nameText(m.name);
        break;
    case DecoderTrace::Name:
        qCDebug(lcDecoder).noquote() << "name" << nameText(m.name);
        break;
    case DecoderTrace::None:
        break;
    }
}

Decoded decodeRecord(const QByteArray& read, int length, DecoderState& state)
{
    const int n = read.size();
    qCDebug(lcDecoder) << "$ DATA_RES_CWDMDATA (length:" << n << ")" << state.kind;
    // Fields must lie in the payload, before the end byte at n - 3.
    const int payloadEnd = n - 3;
    const KindInfo* kind = kindInfo(state.kind);
    if (payloadEnd < ValuesOffset || !kind)
        return {};

    Measurement record;
    record.kind = kind;
    record.total = u16be(read, 4);
    record.index = u16be(read, 6);
    record.name = QByteArray(NameSize, '\0');

    if (kind->requestsHalves)
        return decodeHalf96(read, record, state);

    const RecordLayout* layout = selectLayout(state.kind, quint8(length & 0xFF), state.hwVer,
                                              state.fwVer);
    if (!layout || extent(*layout) > payloadEnd)
        return {};

    record.readings = powers(read, ValuesOffset, layout->values, kind->stored);
    record.dateWord = u32le(read, layout->date);
    record.timeWord = u32le(read, layout->time);
    if (layout->name >= 0)
        record.name = read.mid(layout->name, NameSize);
    if (layout->onOffSize > 0)
        record.onOff = read.mid(layout->onOff, layout->onOffSize);
    record.totalIndex = layout->totalIndex >= 0 ? int(u32le(read, layout->totalIndex))
                                                : layout->fixedTotalIndex;
    if (layout->mode >= 0)
        record.mode = u16le(read, layout->mode);
    if (layout->polar >= 0)
        record.polar = u16le(read, layout->polar);
    trace(record, read, *layout);
    return record;
}

} // namespace

bool acceptFrame(const QByteArray& read)
{
    const int n = read.size();
    if (n < 5 || byteAt(read, 0) != Frames::START_BYTE)
        return false;
    const int length = byteAt(read, 2) * 256 + byteAt(read, 3);
    return (n == length + 2 || n == length + 1) && byteAt(read, n - 3) == Frames::END_BYTE;
}

Decoded decodeRead(const QByteArray& read, DecoderState& state)
{
    return acceptFrame(read) ? decodeFrame(read, state) : Decoded{};
}

Decoded decodeFrame(const QByteArray& read, DecoderState& state)
{
    const int command = byteAt(read, 1);
    const int length = byteAt(read, 2) * 256 + byteAt(read, 3);
    qCDebug(lcDecoder) << "serial received:" << command << length;
    switch (command) {
    case Frames::DATA_RES_SYSINFO:
        return decodeSystemInfo(read, length, state);
    case Frames::DATA_RES_CWDMDATA:
        return decodeRecord(read, length, state);
    default:
        return {};
    }
}

} // namespace Decoder
