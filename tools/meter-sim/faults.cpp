#include "faults.h"

namespace metersim {

FaultShaper::FaultShaper(const Faults& faults)
    : m_faults(faults)
{
}

QVector<Chunk> FaultShaper::shape(const QByteArray& answer)
{
    if (answer.isEmpty() || m_faults.silent)
        return {};
    if (++m_seen < m_faults.from)
        return {{0, answer}};
    ++m_answers;
    if (m_faults.dropEvery > 0 && m_answers % m_faults.dropEvery == 0)
        return {};
    QByteArray bytes = m_faults.garbage && m_answers % 2 == 1 ? garbageLike(answer) : answer;
    if (m_faults.doubleEvery > 0 && m_answers % m_faults.doubleEvery == 0)
        bytes += bytes;
    if (!m_faults.split)
        return {{m_faults.delayMs, bytes}};
    const int half = int(bytes.size()) / 2;
    return {{m_faults.delayMs, bytes.left(half)},
            {m_faults.delayMs + kSplitGapMs, bytes.mid(half)}};
}

QByteArray FaultShaper::garbageLike(const QByteArray& answer)
{
    QByteArray noise(answer.size(), '\0');
    for (char& b : noise)
        b = char(m_random() & 0xFF);
    // Never a start byte in front, so that the noise can never pass for a frame.
    if (noise[0] == char(0x02))
        noise[0] = char(0xFD);
    return noise;
}

} // namespace metersim
