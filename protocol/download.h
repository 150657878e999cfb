#pragma once

#include "data/measurement.h"
#include "protocol/retrieval.h"

#include <QList>

// The records of a meter's download and the retrieval that asks for them: which record is
// stored, which is asked for next. Both front ends take every decoded record through here.
// Plain class: one thread, no signals; the caller owns the retry timer and writes the requests.
class Download {
public:
    // What became of one record.
    struct Taken {
        bool stored = false;     // false: dropped (no retrieval, a duplicate, or out of order)
        bool first = false;      // record 0 of this retrieval: the list started over
        bool complete = false;   // the last record: the retrieval has ended
        Retrieval::Request next; // what to ask for now
    };

    // Starts (or restarts) a retrieval at record 0; `halves` asks for records in two halves.
    Retrieval::Request start(bool halves) { return m_retrieval.start(halves); }
    void stop() { m_retrieval.stop(); }
    // A tick of the retry timer: the request to repeat when nothing arrived since the last one.
    Retrieval::Request tick() { return m_retrieval.tick(); }
    Retrieval::Request firstHalfArrived(int count, quint8 flag)
    {
        return m_retrieval.firstHalfArrived(count, flag);
    }
    bool getting() const { return m_retrieval.getting(); }
    // True once, at the tick that repeats the third unanswered request when no record of this
    // retrieval has arrived at all: the meter answers its identity but not this kind's requests.
    bool wrongKindSuspected() const
    {
        return !m_retrieval.anyAnswer() && m_retrieval.unanswered() == WrongKindRepeats;
    }
    static constexpr int WrongKindRepeats = 3;
    // Records stored by the running (or last) retrieval, and the meter's total.
    int storedCount() const { return m_retrieval.storedCount(); }
    int total() const { return m_retrieval.total(); }

    // One per record the link decodes.
    Taken take(const Measurement& record);

    // The records of `kind` stored so far, in the meter's order: record i is at position i.
    // Empty for another kind than the last retrieval's.
    QList<Measurement> records(int kind) const;
    int recordCount(int kind) const { return kind == m_kind ? int(m_records.size()) : 0; }
    // Record `i` of `kind`; nullptr when there is none.
    const Measurement* record(int kind, int i) const;

private:
    Retrieval m_retrieval;
    int m_kind = 0;
    QList<Measurement> m_records;
};
