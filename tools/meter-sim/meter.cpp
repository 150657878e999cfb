#include "meter.h"

#include "encoder.h"

namespace metersim {

namespace {
constexpr int kDwdm96Kind = 4;
}

Meter::Meter(const Options& options, QVector<Record> records)
    : m_options(options)
    , m_records(std::move(records))
    , m_layout(recordLayout(options.kind, options.identity.hw, options.identity.fw,
                            options.dwdm48Big))
{
}

QByteArray Meter::answer(const Request& request) const
{
    switch (request.type) {
    case Request::SysInfo:
        return encodeSysInfo(m_options.identity, m_options.trailer);
    case Request::Data:
        return record(request.index);
    case Request::Data96:
        return half96(request.index, request.half);
    case Request::Unknown:
        break;
    }
    return {};
}

quint16 Meter::reportedTotal() const
{
    return m_options.total0 ? 0 : quint16(m_records.size());
}

QByteArray Meter::record(int index) const
{
    // A 96-channel meter only knows half requests.
    if (index >= m_records.size() || m_options.kind == kDwdm96Kind)
        return {};
    return encodeRecord(m_layout, m_records[index], reportedTotal(), quint16(index),
                        m_options.trailer);
}

QByteArray Meter::half96(int index, int half) const
{
    // Any other half selector than 0 or 1 is not a half the meter has.
    if (index >= m_records.size() || half > 1)
        return {};
    return encodeHalf96(m_records[index], reportedTotal(), quint16(index), half,
                        m_options.trailer);
}

} // namespace metersim
