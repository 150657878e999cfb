#include "data/loss.h"

#include "data/detail.h"
#include "data/jsonfields.h"
#include "data/kinds.h"
#include "data/measurement.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace Loss {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("Loss", text);
}

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
            c.margin = clean(*c.budget - *c.loss);
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

std::optional<Reference> referenceFromJson(const QByteArray& json, QString* error)
{
    const QString file = tr("a reference file");
    const std::optional<QJsonObject> o = JsonFields::object(json, error);
    if (!o || !JsonFields::knownKeys(*o, {"name", "kind", "meter", "date", "channels"}, QString(),
                                     file, error))
        return std::nullopt;
    Reference r;
    QString kind;
    if (!JsonFields::readText(*o, "name", QString(), &r.name, error) ||
        !JsonFields::readText(*o, "kind", QString(), &kind, error) ||
        !JsonFields::readText(*o, "meter", QString(), &r.meter, error) ||
        !JsonFields::readText(*o, "date", QString(), &r.date, error))
        return std::nullopt;
    if (o->contains(QLatin1String("kind"))) {
        r.kind = JsonFields::kindOfName(kind);
        if (r.kind == 0) {
            *error = tr("\"kind\" must name a device kind, such as \"CWDM18\"");
            return std::nullopt;
        }
    }
    const QJsonValue channels = o->value(QLatin1String("channels"));
    if (!channels.isObject() || channels.toObject().isEmpty()) {
        *error = tr("\"channels\" must be an object with the power of at least one channel");
        return std::nullopt;
    }
    const QJsonObject byPosition = channels.toObject();
    for (auto it = byPosition.begin(); it != byPosition.end(); ++it) {
        const std::optional<int> position = JsonFields::channelNumber(it.key());
        if (!position) {
            *error = tr("channel \"%1\" is not a positive whole number").arg(it.key());
            return std::nullopt;
        }
        if (!it.value().isDouble()) {
            *error = tr("channel %1: the power must be a number (dBm)").arg(*position);
            return std::nullopt;
        }
        r.channels.insert(*position, it.value().toDouble());
    }
    return r;
}

QByteArray toJson(const Reference& reference)
{
    QJsonObject o;
    if (!reference.name.isEmpty())
        o.insert(QLatin1String("name"), reference.name);
    if (kindInfo(reference.kind))
        o.insert(QLatin1String("kind"), kindName(reference.kind));
    if (!reference.meter.isEmpty())
        o.insert(QLatin1String("meter"), reference.meter);
    if (!reference.date.isEmpty())
        o.insert(QLatin1String("date"), reference.date);
    QJsonObject channels;
    for (auto it = reference.channels.cbegin(); it != reference.channels.cend(); ++it)
        channels.insert(QString::number(it.key()), it.value());
    o.insert(QLatin1String("channels"), channels);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

namespace {

bool nonNegative(const std::optional<double>& v, const QString& what, QString* error)
{
    if (v && *v < 0) {
        *error = tr("%1 must not be negative").arg(what);
        return false;
    }
    return true;
}

bool readLink(const QJsonValue& value, Link* link, QString* error)
{
    const QString file = tr("a budget file");
    const QString where = tr("link: ");
    if (!value.isObject()) {
        *error = tr("\"link\" must be an object");
        return false;
    }
    const QJsonObject o = value.toObject();
    if (!JsonFields::knownKeys(o, {"lengthKm", "dbPerKm", "connectorPairs", "splices",
                                   "dbPerConnectorPair", "dbPerSplice"},
                               where, file, error))
        return false;
    std::optional<double> length, perKm, pairs, splices, perPair, perSplice;
    if (!JsonFields::readNumber(o, "lengthKm", where, &length, error) ||
        !JsonFields::readNumber(o, "dbPerKm", where, &perKm, error) ||
        !JsonFields::readNumber(o, "connectorPairs", where, &pairs, error) ||
        !JsonFields::readNumber(o, "splices", where, &splices, error) ||
        !JsonFields::readNumber(o, "dbPerConnectorPair", where, &perPair, error) ||
        !JsonFields::readNumber(o, "dbPerSplice", where, &perSplice, error))
        return false;
    if (!length || !perKm || !pairs || !splices) {
        *error = tr("link: \"lengthKm\", \"dbPerKm\", \"connectorPairs\" and \"splices\" are "
                    "needed");
        return false;
    }
    for (const auto& [v, name] : {std::pair{length, "lengthKm"}, {perKm, "dbPerKm"},
                                  {pairs, "connectorPairs"}, {splices, "splices"},
                                  {perPair, "dbPerConnectorPair"}, {perSplice, "dbPerSplice"}}) {
        if (!nonNegative(v, where + QLatin1Char('"') + QLatin1String(name) + QLatin1Char('"'),
                         error))
            return false;
    }
    for (const auto& [v, name] : {std::pair{pairs, "connectorPairs"}, {splices, "splices"}}) {
        if (*v != double(int(*v))) {
            *error = tr("link: \"%1\" must be a whole number").arg(QLatin1String(name));
            return false;
        }
    }
    link->lengthKm = *length;
    link->dbPerKm = *perKm;
    link->connectorPairs = int(*pairs);
    link->splices = int(*splices);
    link->dbPerConnectorPair = perPair.value_or(link->dbPerConnectorPair);
    link->dbPerSplice = perSplice.value_or(link->dbPerSplice);
    return true;
}

} // namespace

std::optional<Budget> budgetFromJson(const QByteArray& json, QString* error)
{
    const QString file = tr("a budget file");
    const std::optional<QJsonObject> o = JsonFields::object(json, error);
    if (!o || !JsonFields::knownKeys(*o, {"name", "maxLoss", "link", "channels"}, QString(), file,
                                     error))
        return std::nullopt;
    Budget b;
    if (!JsonFields::readText(*o, "name", QString(), &b.name, error) ||
        !JsonFields::readNumber(*o, "maxLoss", QString(), &b.maxLoss, error) ||
        !nonNegative(b.maxLoss, tr("\"maxLoss\""), error))
        return std::nullopt;
    if (o->contains(QLatin1String("link"))) {
        if (b.maxLoss) {
            *error = tr("give \"maxLoss\" or \"link\", not both");
            return std::nullopt;
        }
        Link link;
        if (!readLink(o->value(QLatin1String("link")), &link, error))
            return std::nullopt;
        b.link = link;
    }
    const QJsonValue channels = o->value(QLatin1String("channels"));
    if (!channels.isUndefined() && !channels.isObject()) {
        *error = tr("\"channels\" must be an object");
        return std::nullopt;
    }
    const QJsonObject byPosition = channels.toObject();
    for (auto it = byPosition.begin(); it != byPosition.end(); ++it) {
        const std::optional<int> position = JsonFields::channelNumber(it.key());
        if (!position) {
            *error = tr("channel \"%1\" is not a positive whole number").arg(it.key());
            return std::nullopt;
        }
        const QString where = tr("channel %1: ").arg(*position);
        if (!it.value().isObject()) {
            *error = where + tr("must be an object");
            return std::nullopt;
        }
        const QJsonObject c = it.value().toObject();
        ChannelBudget cb;
        if (!JsonFields::knownKeys(c, {"check", "maxLoss"}, where, file, error) ||
            !JsonFields::readBool(c, "check", where, &cb.check, error) ||
            !JsonFields::readNumber(c, "maxLoss", where, &cb.maxLoss, error) ||
            !nonNegative(cb.maxLoss, where + QStringLiteral("\"maxLoss\""), error))
            return std::nullopt;
        b.channels.insert(*position, cb);
    }
    if (!b.isSet()) {
        *error = tr("the budget gives no maximum loss: give \"maxLoss\", \"link\" or channels");
        return std::nullopt;
    }
    return b;
}

QByteArray toJson(const Budget& budget)
{
    QJsonObject o;
    if (!budget.name.isEmpty())
        o.insert(QLatin1String("name"), budget.name);
    JsonFields::putOptional(o, "maxLoss", budget.maxLoss);
    if (budget.link) {
        const Link& l = *budget.link;
        o.insert(QLatin1String("link"),
                 QJsonObject{{QLatin1String("lengthKm"), l.lengthKm},
                             {QLatin1String("dbPerKm"), l.dbPerKm},
                             {QLatin1String("connectorPairs"), l.connectorPairs},
                             {QLatin1String("splices"), l.splices},
                             {QLatin1String("dbPerConnectorPair"), l.dbPerConnectorPair},
                             {QLatin1String("dbPerSplice"), l.dbPerSplice}});
    }
    if (!budget.channels.isEmpty()) {
        QJsonObject channels;
        for (auto it = budget.channels.cbegin(); it != budget.channels.cend(); ++it) {
            QJsonObject c;
            if (!it->check)
                c.insert(QLatin1String("check"), false);
            JsonFields::putOptional(c, "maxLoss", it->maxLoss);
            channels.insert(QString::number(it.key()), c);
        }
        o.insert(QLatin1String("channels"), channels);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace Loss
