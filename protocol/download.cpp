#include "protocol/download.h"

#include "data/intake.h"
#include "data/logging.h"
#include "protocol/serialcomm.h"

template <typename R, typename Make>
Download::Taken Download::take(QList<R>& list, ushort total, ushort count, Make make)
{
    // The values come from the receiver thread.
    SerialComm::takeOver();
    Taken taken;
    m_retrieval.answered();
    const Retrieval::Admission admission = m_retrieval.admit(count);
    if (admission == Retrieval::Admission::Drop)
        return taken;
    if (admission == Retrieval::Admission::First) {
        list.clear();
        taken.first = true;
    }
    // Records are stored in the order the meter numbers them, so position i is record i.
    if (count >= total || list.size() != count)
        return taken;
    list.append(make());
    taken.stored = true;
    taken.next = m_retrieval.stored(count, total);
    taken.complete = !taken.next.send;
    return taken;
}

Download::Taken Download::takeCWDM18(ushort total, ushort count, const QVector<qint16>& data,
                                     uint date, uint time, const QByteArray& name)
{
    return take(m_listCWDM18, total, count, [&] { return CWDM18Record(data, date, time, name); });
}

Download::Taken Download::takeDWDM48(ushort total, ushort count, const QVector<qint16>& data,
                                     uint date, uint time, const QByteArray& name)
{
    // Older meters send neither channel flags nor a total.
    return take(m_listDWDM48, total, count, [&] {
        return DWDM48Record(data, QByteArray(52, '\0'), date, time, name, NoTotal);
    });
}

Download::Taken Download::takeDWDM48Big(ushort total, ushort count, const QVector<qint16>& data,
                                        const QByteArray& onOff, uint date, uint time,
                                        const QByteArray& name, int totalIndex)
{
    return take(m_listDWDM48, total, count,
                [&] { return DWDM48Record(data, onOff, date, time, name, totalIndex); });
}

Download::Taken Download::takeDWDM96(ushort total, ushort count, const QVector<qint16>& data,
                                     uint date, uint time, const QByteArray& name)
{
    return take(m_listDWDM96, total, count, [&] { return DWDM96Record(data, date, time, name); });
}

Download::Taken Download::takeVendral8(ushort total, ushort count, const QVector<qint16>& data,
                                       uint date, uint time, const QByteArray& name)
{
    Taken taken = take(m_listVendral8, total, count, [&] {
        const QString nameText = Intake::reportNameText(name);
        qCDebug(lcVelumin).noquote() << "name:" << nameText;
        // Kept in step with the list, so that name i always belongs to record i.
        m_recordNames.resize(count);
        m_recordNames.append(nameText);
        return Vendral8Record(data, date, time);
    });
    if (taken.first && !taken.stored)
        m_recordNames.clear();
    return taken;
}

Download::Taken Download::takeTarnex8(ushort total, ushort count, const QVector<qint16>& data,
                                      uint date, uint time, const QByteArray& name)
{
    return take(m_listTarnex8, total, count, [&] { return Tarnex8Record(data, date, time, name); });
}

Download::Taken Download::takeTarnex(int kind, ushort total, ushort count,
                                     const QVector<qint16>& data, const QByteArray& onOff,
                                     uint date, uint time, const QByteArray& name, int totalIndex)
{
    const auto make56 = [&] { return Tarnex56Record(data, onOff, date, time, name, totalIndex); };
    switch (kind) {
    case Kind::Tarnex56:
        return take(m_listTarnex56, total, count, make56);
    case Kind::Tarnex57:
        return take(m_listTarnex57, total, count, make56);
    case Kind::Tarnex64:
        return take(m_listTarnex64, total, count,
                    [&] { return Tarnex64Record(data, onOff, date, time, name, totalIndex); });
    }
    return {};
}

Download::Taken Download::takeDWDM49TOTAL(ushort total, ushort count, const QVector<qint16>& data,
                                          const QByteArray& onOff, uint date, uint time,
                                          const QByteArray& name, int totalWav)
{
    return take(m_listDWDM49TOTAL, total, count,
                [&] { return DWDM49TOTALRecord(data, onOff, date, time, name, totalWav); });
}

Download::Taken Download::takeMpo(int kind, ushort total, ushort count, const QVector<qint16>& data,
                                  ushort mode, ushort polar, uint date, uint time,
                                  const QByteArray& name)
{
    switch (kind) {
    case Kind::MPO12:
        return take(m_listMPO12, total, count,
                    [&] { return MPO12Record(data, mode, polar, date, time, name); });
    case Kind::MPO24:
        return take(m_listMPO24, total, count,
                    [&] { return MPO24Record(data, mode, polar, date, time); });
    case Kind::MPO16:
        return take(m_listMPO16, total, count,
                    [&] { return MPO16Record(data, mode, polar, date, time, name); });
    case Kind::MPO32:
        return take(m_listMPO32, total, count,
                    [&] { return MPO32Record(data, mode, polar, date, time, name); });
    }
    return {};
}

int Download::recordCount(int kind) const
{
    int n = 0;
    withRecords(kind, [&n](const auto& list) { n = int(list.size()); });
    return n;
}
