#pragma once

#include "data/kinds.h"
#include "data/records.h"
#include "protocol/retrieval.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVector>

// The records of a meter's download and the retrieval that asks for them: which report is
// stored, which record is asked for next, and the list of each kind. Both front ends, the window
// and velumin-export, take every decoded report through here. Plain class: one thread, no
// signals; the caller owns the retry timer and writes the requests.
class Download {
public:
    // What became of one record report.
    struct Taken {
        bool stored = false;     // false: dropped (no retrieval, a duplicate, or out of order)
        bool first = false;      // record 0 of this retrieval: its kind's list started over
        bool complete = false;   // the last record: the retrieval has ended
        Retrieval::Request next; // what to ask for now
    };

    // Starts (or restarts) a retrieval at record 0; `by96` asks for 96-channel halves.
    Retrieval::Request start(bool by96) { return m_retrieval.start(by96); }
    void stop() { m_retrieval.stop(); }
    // A tick of the retry timer: the request to repeat when nothing arrived since the last one.
    Retrieval::Request tick() { return m_retrieval.tick(); }
    Retrieval::Request firstHalfArrived(int count, quint8 flag)
    {
        return m_retrieval.firstHalfArrived(count, flag);
    }
    bool getting() const { return m_retrieval.getting(); }
    // True once, at the tick that repeats the third unanswered request when no record report
    // of this retrieval has arrived at all: the meter answers its identity but not this kind's
    // requests.
    bool wrongKindSuspected() const
    {
        return !m_retrieval.anyAnswer() && m_retrieval.unanswered() == WrongKindRepeats;
    }
    static constexpr int WrongKindRepeats = 3;
    // Records stored by the running (or last) retrieval, and the meter's total.
    int storedCount() const { return m_retrieval.storedCount(); }
    int total() const { return m_retrieval.total(); }

    // One per report the receiver decodes, with its values as decoded.
    Taken takeCWDM18(ushort total, ushort count, const QVector<qint16>& data, uint date, uint time,
                     const QByteArray& name);
    Taken takeDWDM48(ushort total, ushort count, const QVector<qint16>& data, uint date, uint time,
                     const QByteArray& name);
    Taken takeDWDM48Big(ushort total, ushort count, const QVector<qint16>& data,
                        const QByteArray& onOff, uint date, uint time, const QByteArray& name,
                        int totalIndex);
    Taken takeDWDM96(ushort total, ushort count, const QVector<qint16>& data, uint date, uint time,
                     const QByteArray& name);
    Taken takeVendral8(ushort total, ushort count, const QVector<qint16>& data, uint date,
                       uint time, const QByteArray& name);
    Taken takeTarnex8(ushort total, ushort count, const QVector<qint16>& data, uint date, uint time,
                      const QByteArray& name);
    Taken takeTarnex(int kind, ushort total, ushort count, const QVector<qint16>& data,
                     const QByteArray& onOff, uint date, uint time, const QByteArray& name,
                     int totalIndex);
    Taken takeDWDM49TOTAL(ushort total, ushort count, const QVector<qint16>& data,
                          const QByteArray& onOff, uint date, uint time, const QByteArray& name,
                          int totalWav);
    Taken takeMpo(int kind, ushort total, ushort count, const QVector<qint16>& data, ushort mode,
                  ushort polar, uint date, uint time, const QByteArray& name);

    // Calls f with the record list of `kind`; false, without calling it, for a code that names
    // no kind. The one place that knows which list holds which kind.
    template <typename F> bool withRecords(int kind, F&& f) const;
    // Records of `kind` stored so far; 0 for a code that names no kind.
    int recordCount(int kind) const;
    // The names of the Vendral-8 records, whose records hold none: entry i belongs to record i.
    const QStringList& recordNames() const { return m_recordNames; }
    void clearRecordNames() { m_recordNames.clear(); }

private:
    // Admission, storing and the next request, the same for every kind: `make` builds the
    // record once the report is taken.
    template <typename R, typename Make>
    Taken take(QList<R>& list, ushort total, ushort count, Make make);

    Retrieval m_retrieval;
    QStringList m_recordNames;
    QList<CWDM18Record> m_listCWDM18;
    QList<DWDM48Record> m_listDWDM48;
    QList<DWDM96Record> m_listDWDM96;
    QList<Vendral8Record> m_listVendral8;
    QList<Tarnex8Record> m_listTarnex8;
    QList<Tarnex56Record> m_listTarnex56;
    QList<Tarnex57Record> m_listTarnex57;
    QList<Tarnex64Record> m_listTarnex64;
    QList<DWDM49TOTALRecord> m_listDWDM49TOTAL;
    QList<MPO12Record> m_listMPO12;
    QList<MPO24Record> m_listMPO24;
    QList<MPO16Record> m_listMPO16;
    QList<MPO32Record> m_listMPO32;
};

template <typename F> bool Download::withRecords(int kind, F&& f) const
{
    switch (kind) {
    case Kind::CWDM18:
        f(m_listCWDM18);
        break;
    case Kind::DWDM48:
        f(m_listDWDM48);
        break;
    case Kind::Vendral8:
        f(m_listVendral8);
        break;
    case Kind::DWDM96:
        f(m_listDWDM96);
        break;
    case Kind::Tarnex8:
        f(m_listTarnex8);
        break;
    case Kind::Tarnex56:
        f(m_listTarnex56);
        break;
    case Kind::Tarnex57:
        f(m_listTarnex57);
        break;
    case Kind::Tarnex64:
        f(m_listTarnex64);
        break;
    case Kind::DWDM49TOTAL:
        f(m_listDWDM49TOTAL);
        break;
    case Kind::MPO12:
        f(m_listMPO12);
        break;
    case Kind::MPO24:
        f(m_listMPO24);
        break;
    case Kind::MPO16:
        f(m_listMPO16);
        break;
    case Kind::MPO32:
        f(m_listMPO32);
        break;
    default:
        return false;
    }
    return true;
}
