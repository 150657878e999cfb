#include "data/loss.h"

#include "data/detail.h"
#include "data/kinds.h"
#include "data/measurement.h"


#include <cmath>

namespace Loss {

namespace {

bool dark(double dbm)
{
    return dbm < Limits::Low;
}

// Differences of dBm values given to hundredths, without the binary noise of the subtraction
// (1 rather than 0.9999999999999991).
double clean(double db)
{
    return std::round(db * 1e6) / 1e6;
}

} // namespace

double Link::maxLoss() const
{
    return lengthKm * dbPerKm + connectorPairs * dbPerConnectorPair + splices * dbPerSplice;
}

std::optional<double> Budget::maxLossFor(int position) const
{
    std::optional<double> max = link ? std::optional<double>(link->maxLoss()) : maxLoss;
    const auto it = channels.constFind(position);
    if (it != channels.cend()) {
        if (!it->check)
            return std::nullopt;
        if (it->maxLoss)
            max = it->maxLoss;
    }
    return max;
}

QString verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Pass:
        return QStringLiteral("PASS");
    case Verdict::Fail:
        return QStringLiteral("FAIL");
    case Verdict::CheckRef:
        return QStringLiteral("CHECK REF");
    }
    return {};
}

RecordLoss judge(const Reference& reference, const Budget& budget,
                 const QList<Limits::Reading>& readings)
{
    RecordLoss out;
    bool fails = false;
    bool checkRef = false;
    for (const Limits::Reading& r : readings) {
        ChannelLoss c;
        c.position = r.number;
        c.reading = r.dbm;
        const auto ref = reference.channels.constFind(r.number);
        if (ref != reference.channels.cend())
            c.reference = *ref;
        if (c.reference && !dark(*c.reference) && !dark(r.dbm))
            c.loss = clean(*c.reference - r.dbm);
        c.budget = budget.maxLossFor(r.number);
        if (c.loss && c.budget) {
            c.margin = *c.budget - *c.loss;
            // A link does not add light: a loss that far below zero is a reference to set again.
            c.verdict = *c.loss < CheckRefBelow ? Verdict::CheckRef
                        : *c.loss <= *c.budget  ? Verdict::Pass
                                                : Verdict::Fail;
            fails = fails || c.verdict == Verdict::Fail;
            checkRef = checkRef || c.verdict == Verdict::CheckRef;
            if (!out.verdict)
                out.verdict = Verdict::Pass;
        }
        out.channels.append(c);
    }
    if (fails)
        out.verdict = Verdict::Fail;
    else if (checkRef)
        out.verdict = Verdict::CheckRef;
    return out;
}

RecordLoss judge(const Reference& reference, const Budget& budget, const Measurement& record)
{
    QList<Limits::Reading> readings;
    for (const std::optional<Limits::Reading>& r : Detail::judgedReadings(record)) {
        if (r)
            readings.append(*r);
    }
    return judge(reference, budget, readings);
}

Reference referenceFrom(const Measurement& record, const QString& meter)
{
    Reference r;
    r.name = record.nameText().trimmed();
    r.kind = record.code();
    r.meter = meter;
    const QDate date = record.date();
    const QTime time = record.time();
    if (date.isValid() && time.isValid())
        r.date = date.toString(Qt::ISODate) + QLatin1Char(' ') + time.toString(Qt::ISODate);
    for (const std::optional<Limits::Reading>& reading : Detail::judgedReadings(record)) {
        if (reading && !dark(reading->dbm))
            r.channels.insert(reading->number, reading->dbm);
    }
    return r;
}

} // namespace Loss
