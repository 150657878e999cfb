#include "data/recordcompare.h"

#include "data/detail.h"
#include "data/kinds.h"
#include "data/limits.h"

#include <QCoreApplication>
#include <QStringList>

#include <cmath>

namespace RecordCompare {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("RecordCompare", text);
}

// The channels a record carries, totals left out, as the detail view lists them.
QList<Limits::Reading> channelsOf(const Measurement& record)
{
    QList<Limits::Reading> out;
    for (const std::optional<Limits::Reading>& r : Detail::judgedReadings(record)) {
        if (r)
            out.append(*r);
    }
    return out;
}

QList<int> positionsOf(const QList<Limits::Reading>& readings)
{
    QList<int> out;
    for (const Limits::Reading& r : readings)
        out.append(r.number);
    return out;
}

} // namespace

QString positionsText(const QList<int>& positions)
{
    QStringList runs;
    for (int i = 0; i < positions.size();) {
        int j = i;
        while (j + 1 < positions.size() && positions.at(j + 1) == positions.at(j) + 1)
            ++j;
        runs << (j == i ? QString::number(positions.at(i))
                        : QStringLiteral("%1–%2").arg(positions.at(i)).arg(positions.at(j)));
        i = j + 1;
    }
    return runs.join(QStringLiteral(", "));
}

Result compare(const Measurement& a, const Measurement& b)
{
    Result out;
    if (a.code() != b.code()) {
        out.problem = tr("A is a %1 record and B a %2 record: only records of one kind are "
                         "compared.")
                          .arg(kindTitle(a.code()), kindTitle(b.code()));
        return out;
    }
    const QList<Limits::Reading> readingsA = channelsOf(a);
    const QList<Limits::Reading> readingsB = channelsOf(b);
    const QList<int> positionsA = positionsOf(readingsA);
    const QList<int> positionsB = positionsOf(readingsB);
    if (positionsA != positionsB) {
        out.problem = tr("A carries channels %1 and B channels %2: only records of one channel "
                         "plan are compared.")
                          .arg(positionsText(positionsA), positionsText(positionsB));
        return out;
    }
    for (int i = 0; i < readingsA.size(); ++i) {
        Channel c;
        c.position = readingsA.at(i).number;
        c.a = readingsA.at(i).dbm;
        c.b = readingsB.at(i).dbm;
        if (c.a >= Limits::Low && c.b >= Limits::Low)
            c.difference = c.a - c.b;
        if (c.difference &&
            (!out.largest ||
             std::abs(*c.difference) > std::abs(*out.channels.at(*out.largest).difference)))
            out.largest = int(out.channels.size());
        out.channels.append(c);
    }
    return out;
}

} // namespace RecordCompare
