#include "protocol/retrieval.h"

Retrieval::Request Retrieval::start(bool by96)
{
    m_getting = true;
    m_by96 = by96;
    m_recordIndex = 0;
    m_lastIndex = -1;
    m_semiFlag = 0;
    m_nextCount = 0;
    m_unanswered = 0;
    m_answered = false;
    m_total = 0;
    return current();
}

void Retrieval::stop()
{
    m_getting = false;
}

Retrieval::Admission Retrieval::admit(int count) const
{
    if (!m_getting || count != m_nextCount)
        return Admission::Drop;
    return count == 0 ? Admission::First : Admission::Next;
}

Retrieval::Request Retrieval::stored(int count, int total)
{
    m_nextCount = count + 1;
    m_total = total;
    if (total - count == 1) {
        m_getting = false;
        return {};
    }
    // The next index follows from what the meter reported, not from what was asked.
    m_recordIndex = count + 1;
    m_semiFlag = 0;
    return current();
}

Retrieval::Request Retrieval::firstHalfArrived(int count, quint8 flag)
{
    if (!m_getting || !m_by96 || count != m_recordIndex)
        return {};
    m_semiFlag = flag;
    answered();
    return {true, count, true, flag};
}

Retrieval::Request Retrieval::tick()
{
    Request request;
    if (m_getting && m_recordIndex == m_lastIndex) {
        request = current();
        ++m_unanswered;
    }
    m_lastIndex = m_recordIndex;
    return request;
}

Retrieval::Request Retrieval::current() const
{
    return {true, m_recordIndex, m_by96, m_by96 ? m_semiFlag : quint8(0)};
}
