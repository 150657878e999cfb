#include "protocol/download.h"

Download::Taken Download::take(const Measurement& record)
{
    Taken taken;
    m_retrieval.answered();
    const Retrieval::Admission admission = m_retrieval.admit(record.index);
    if (admission == Retrieval::Admission::Drop)
        return taken;
    if (admission == Retrieval::Admission::First) {
        m_records.clear();
        m_kind = record.code();
        taken.first = true;
    }
    // Records are stored in the order the meter numbers them, so position i is record i.
    if (record.index >= record.total || record.code() != m_kind || m_records.size() != record.index)
        return taken;
    m_records.append(record);
    taken.stored = true;
    taken.next = m_retrieval.stored(record.index, record.total);
    taken.complete = !taken.next.send;
    return taken;
}

QList<Measurement> Download::records(int kind) const
{
    return kind == m_kind ? m_records : QList<Measurement>();
}

const Measurement* Download::record(int kind, int i) const
{
    return kind == m_kind && i >= 0 && i < m_records.size() ? &m_records.at(i) : nullptr;
}
