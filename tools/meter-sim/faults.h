#pragma once

#include "options.h"

#include <QByteArray>
#include <QVector>

#include <random>

namespace metersim {

// One write to the line, due delayMs after the answer was decided.
struct Chunk {
    int delayMs;
    QByteArray bytes;
};

// Turns each answer into the writes that a faulty line or meter would make of it.
class FaultShaper {
public:
    explicit FaultShaper(const Faults& faults);
    QVector<Chunk> shape(const QByteArray& answer);
    int babbleMs() const { return m_faults.babbleMs; }

private:
    QByteArray garbageLike(const QByteArray& answer);

    Faults m_faults;
    int m_seen = 0;                  // every answer
    int m_answers = 0;               // the answers faults apply to
    std::mt19937 m_random{20260314}; // fixed seed: a failing run can be repeated byte for byte
};

// Smaller than the few milliseconds of quiet the application waits for, so that both writes
// still arrive as one read.
constexpr int kSplitGapMs = 2;

} // namespace metersim
