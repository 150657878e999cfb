// The reference and budget files: bytes in, bytes out.

#include "data/jsonfields.h"
#include "data/kinds.h"
#include "data/loss.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

namespace Loss {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("Loss", text);
}

} // namespace

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
    const bool read = JsonFields::channels(
        *o,
        [&r, error](int position, const QJsonValue& power) {
            if (!power.isDouble()) {
                *error = tr("channel %1: the power must be a number (dBm)").arg(position);
                return false;
            }
            r.channels.insert(position, power.toDouble());
            return true;
        },
        error);
    if (!read)
        return std::nullopt;
    if (r.channels.isEmpty()) {
        *error = tr("\"channels\" must be an object with the power of at least one channel");
        return std::nullopt;
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
    const bool read = JsonFields::channels(
        *o,
        [&b, &file, error](int position, const QJsonValue& value) {
            const QString where = tr("channel %1: ").arg(position);
            if (!value.isObject()) {
                *error = where + tr("must be an object");
                return false;
            }
            const QJsonObject c = value.toObject();
            ChannelBudget cb;
            if (!JsonFields::knownKeys(c, {"check", "maxLoss"}, where, file, error) ||
                !JsonFields::readBool(c, "check", where, &cb.check, error) ||
                !JsonFields::readNumber(c, "maxLoss", where, &cb.maxLoss, error) ||
                !nonNegative(cb.maxLoss, where + QStringLiteral("\"maxLoss\""), error))
                return false;
            b.channels.insert(position, cb);
            return true;
        },
        error);
    if (!read)
        return std::nullopt;
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
