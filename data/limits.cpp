#include "data/limits.h"

#include "data/jsonfields.h"
#include "data/kinds.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <initializer_list>

namespace Limits {

using JsonFields::kindOfName;
using JsonFields::putOptional;
using JsonFields::readBool;
using JsonFields::readNumber;

namespace {

const QString limitsFile = QStringLiteral("a limits file");

QString tr(const char* text)
{
    return QCoreApplication::translate("Limits", text);
}

bool ordered(const std::optional<double>& min, const std::optional<double>& max,
             const QString& where, QString* error)
{
    if (min && max && *min > *max) {
        *error = tr("%1the minimum %2 lies above the maximum %3").arg(where).arg(*min).arg(*max);
        return false;
    }
    return true;
}

} // namespace

QString verdictText(Verdict v)
{
    switch (v) {
    case Verdict::Pass:
        return QStringLiteral("PASS");
    case Verdict::Low:
        return QStringLiteral("LOW");
    case Verdict::High:
        return QStringLiteral("HIGH");
    }
    return {};
}

std::optional<ChannelLimits> limitsFor(const LimitSet& limits, int number)
{
    ChannelLimits l{limits.min, limits.max};
    const auto it = limits.channels.constFind(number);
    if (it != limits.channels.cend()) {
        if (!it->check)
            return std::nullopt;
        if (it->min)
            l.min = it->min;
        if (it->max)
            l.max = it->max;
    }
    if (!l.min && !l.max)
        return std::nullopt;
    return l;
}

QList<int> foreignChannels(const LimitSet& limits, int kind)
{
    QList<int> out;
    const int channels = channelCount(kind);
    for (auto it = limits.channels.cbegin(); it != limits.channels.cend(); ++it) {
        if (it.key() > channels)
            out.append(it.key());
    }
    return out;
}

QString notApplicable(const LimitSet& limits, int kind)
{
    const QString title = kindTitle(kind);
    if (limits.kind != 0 && limits.kind != kind)
        return tr("the limits were made for %1 and check no channel of %2")
            .arg(kindTitle(limits.kind), title);
    for (int position = 1; position <= channelCount(kind); ++position) {
        if (limitsFor(limits, position))
            return {};
    }
    return tr("the limits check no channel of %1").arg(title);
}

RecordResult judge(const LimitSet& limits, const QList<Reading>& readings)
{
    RecordResult result;
    double lowest = 0;
    double highest = 0;
    for (const Reading& r : readings) {
        const std::optional<ChannelLimits> l = limitsFor(limits, r.number);
        if (!l)
            continue;
        ChannelResult c{r.number, Verdict::Pass, 0};
        const double aboveMin = l->min ? r.dbm - *l->min : 0;
        const double belowMax = l->max ? *l->max - r.dbm : 0;
        if (l->min && aboveMin < 0) {
            c.verdict = Verdict::Low;
            c.margin = aboveMin;
        } else if (l->max && belowMax < 0) {
            c.verdict = Verdict::High;
            c.margin = belowMax;
        } else {
            c.margin = l->min && l->max ? std::min(aboveMin, belowMax)
                       : l->min         ? aboveMin
                                        : belowMax;
        }
        if (c.verdict != Verdict::Pass)
            result.failing.append(r.number);
        lowest = result.channels.isEmpty() ? r.dbm : std::min(lowest, r.dbm);
        highest = result.channels.isEmpty() ? r.dbm : std::max(highest, r.dbm);
        result.channels.append(c);
    }
    if (result.channels.size() >= 2) {
        result.spread = highest - lowest;
        result.spreadHolds = !limits.maxSpread || *result.spread <= *limits.maxSpread;
    }
    // A record none of whose readings is checked (every checked channel switched off on the
    // meter) proves nothing, and must not pass.
    result.pass = !result.channels.isEmpty() && result.failing.isEmpty() && result.spreadHolds;
    return result;
}

std::optional<LimitSet> fromJson(const QByteArray& json, QString* error)
{
    const std::optional<QJsonObject> parsed = JsonFields::object(json, error);
    if (!parsed)
        return std::nullopt;
    const QJsonObject o = *parsed;
    if (!JsonFields::knownKeys(o, {"enabled", "name", "kind", "min", "max", "maxSpread", "channels"},
                               QString(), limitsFile, error))
        return std::nullopt;
    LimitSet l;
    const QJsonValue name = o.value(QLatin1String("name"));
    if (!name.isUndefined() && !name.isString()) {
        *error = tr("\"name\" must be a text");
        return std::nullopt;
    }
    l.name = name.toString();
    const QJsonValue kind = o.value(QLatin1String("kind"));
    if (!kind.isUndefined()) {
        l.kind = kind.isString() ? kindOfName(kind.toString()) : 0;
        if (l.kind == 0) {
            *error = tr("\"kind\" must name a device kind, such as \"CWDM18\"");
            return std::nullopt;
        }
    }
    if (!readBool(o, "enabled", QString(), &l.enabled, error) ||
        !readNumber(o, "min", QString(), &l.min, error) ||
        !readNumber(o, "max", QString(), &l.max, error) ||
        !readNumber(o, "maxSpread", QString(), &l.maxSpread, error) ||
        !ordered(l.min, l.max, QString(), error))
        return std::nullopt;
    if (l.maxSpread && *l.maxSpread < 0) {
        *error = tr("\"maxSpread\" must not be negative");
        return std::nullopt;
    }
    const bool read = JsonFields::channels(
        o,
        [&l, error](int number, const QJsonValue& value) {
            const QString where = tr("channel %1: ").arg(number);
            if (!value.isObject()) {
                *error = where + tr("must be an object");
                return false;
            }
            const QJsonObject c = value.toObject();
            Override ov;
            if (!JsonFields::knownKeys(c, {"check", "min", "max"}, where, limitsFile, error) ||
                !readBool(c, "check", where, &ov.check, error) ||
                !readNumber(c, "min", where, &ov.min, error) ||
                !readNumber(c, "max", where, &ov.max, error) ||
                !ordered(ov.min ? ov.min : l.min, ov.max ? ov.max : l.max, where, error))
                return false;
            l.channels.insert(number, ov);
            return true;
        },
        error);
    if (!read)
        return std::nullopt;
    return l;
}

QByteArray toJson(const LimitSet& limits)
{
    QJsonObject o;
    o.insert(QLatin1String("enabled"), limits.enabled);
    if (!limits.name.isEmpty())
        o.insert(QLatin1String("name"), limits.name);
    if (kindInfo(limits.kind))
        o.insert(QLatin1String("kind"), kindName(limits.kind));
    putOptional(o, "min", limits.min);
    putOptional(o, "max", limits.max);
    putOptional(o, "maxSpread", limits.maxSpread);
    if (!limits.channels.isEmpty()) {
        QJsonObject channels;
        for (auto it = limits.channels.cbegin(); it != limits.channels.cend(); ++it) {
            QJsonObject c;
            if (!it->check)
                c.insert(QLatin1String("check"), false);
            putOptional(c, "min", it->min);
            putOptional(c, "max", it->max);
            channels.insert(QString::number(it.key()), c);
        }
        o.insert(QLatin1String("channels"), channels);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace Limits
