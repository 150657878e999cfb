#include "protocol/decoder.h"

#include <QLoggingCategory>
#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <vector>

// Input: device index, firmware (3 bytes), hardware (3 bytes), then reads, each a length byte
// followed by that many bytes. The decoder state lives on across inputs, as it does across
// the reads of one connection, so that DWDM-96 halves from different inputs meet.
namespace {

Decoder::DecoderState state;


void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void checkRecord(const Measurement& r)
{
    check(r.kind != nullptr && r.name.size() == Decoder::NameSize);
    check(r.readings.size() == r.kind->stored);
    check(r.onOff.isEmpty() || r.onOff.size() == 52 || r.onOff.size() == 60
          || r.onOff.size() == 68);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The decoder writes a debug line per read; millions of them would drown the fuzzer.
    QLoggingCategory::setFilterRules(QStringLiteral("velumin.*.debug=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 7)
        return 0;
    state.devIndex = data[0] % 16;
    if (const KindInfo* kind = kindForDeviceIndex(state.devIndex))
        state.kind = kind->code;
    state.fwVer = {quint8(data[1] % 8), quint8(data[2] % 10), quint8(data[3] % 10)};
    state.hwVer = {quint8(data[4] % 8), quint8(data[5] % 10), quint8(data[6] % 10)};
    size_t at = 7;
    while (at < size) {
        const size_t length = std::min<size_t>(data[at], size - at - 1);
        ++at;
        // An exact-size copy, so that a read past the end of the read is caught.
        const std::vector<char> bytes(data + at, data + at + length);
        at += length;
        const QByteArray read = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
        const bool accepted = Decoder::acceptFrame(read);
        const Decoder::Decoded decoded = Decoder::decodeRead(read, state);
        check(accepted || std::holds_alternative<std::monostate>(decoded));
        if (const auto* record = std::get_if<Measurement>(&decoded))
            checkRecord(*record);
        if (const auto* half = std::get_if<Decoder::HalfArrived>(&decoded))
            check(half->flag == 1);
        if (const auto* info = std::get_if<Decoder::SystemInfo>(&decoded))
            check(info->productNumber.size() <= 19 && info->serialNumber.size() <= 19
                  && info->buildTime.size() <= 24);
    }
    return 0;
}
