#pragma once

#include <QtGlobal>

// The window's side of Get Data: which record to ask for next, record by record, with a retry
// when nothing arrived between two ticks of the retry timer. It decides only; the window owns
// the timer, writes the requests and stores the records.
class Retrieval {
public:
    struct Request {
        bool send = false;
        int index = 0;
        bool half96 = false; // a request for one half of a 96-channel record
        quint8 half = 0;
    };

    // What becomes of a record report.
    enum class Admission {
        Drop,  // no retrieval runs, or it is not the record this retrieval stores next
        First, // record 0 of this retrieval: the list starts over
        Next,  // the next record of this retrieval
    };

    // How long a front end waits for a record before it asks again (tick()).
    static constexpr int RetryIntervalMs = 2000;

    // Starts (or restarts) a retrieval at record 0; `by96` asks for 96-channel halves.
    Request start(bool by96);
    void stop();

    // Whether the report of record `count` is taken. Only the record after the last one stored
    // is: a duplicate would list a record twice, and a record beyond it would leave a gap.
    Admission admit(int count) const;
    // Record `count` of `total` has been stored: the next request, or none when it was the last
    // one, which ends the retrieval.
    Request stored(int count, int total);
    // The first half of a 96-channel record arrived: ask for its second half. Only the record
    // being asked for in a running retrieval counts; a late half of another would make the
    // retry ask for a second half the link cannot join.
    Request firstHalfArrived(int count, quint8 flag);
    // A tick of the retry timer: repeats the current request when no record arrived since the
    // previous tick. The first tick after a start only takes note.
    Request tick();

    bool getting() const { return m_getting; }
    // A record report arrived, taken or not: the meter understands the requests.
    void answered()
    {
        m_unanswered = 0;
        m_answered = true;
    }
    // Requests repeated since the last record report, or half of one, arrived.
    int unanswered() const { return m_unanswered; }
    // Whether any record report, or half of one, arrived in this retrieval.
    bool anyAnswer() const { return m_answered; }
    // Records stored by this retrieval, and the total the meter gave with them (0 before the
    // first record).
    int storedCount() const { return m_nextCount; }
    int total() const { return m_total; }

private:
    Request current() const;

    bool m_getting = false;
    bool m_by96 = false;
    int m_recordIndex = 0;
    int m_lastIndex = -1;
    quint8 m_semiFlag = 0;
    int m_nextCount = 0; // records stored by this retrieval
    int m_unanswered = 0;
    bool m_answered = false;
    int m_total = 0;
};
