#include "data/jsonfields.h"

#include "data/kinds.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <algorithm>

namespace JsonFields {

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("Limits", text);
}
} // namespace

bool readNumber(const QJsonObject& o, const char* key, const QString& where,
                std::optional<double>* out, QString* error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return true;
    if (!v.isDouble()) {
        *error = tr("%1\"%2\" must be a number").arg(where, QLatin1String(key));
        return false;
    }
    *out = v.toDouble();
    return true;
}

bool readBool(const QJsonObject& o, const char* key, const QString& where, bool* out,
              QString* error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return true;
    if (!v.isBool()) {
        *error = tr("%1\"%2\" must be true or false").arg(where, QLatin1String(key));
        return false;
    }
    *out = v.toBool();
    return true;
}

bool readText(const QJsonObject& o, const char* key, const QString& where, QString* out,
              QString* error)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return true;
    if (!v.isString()) {
        *error = tr("%1\"%2\" must be a text").arg(where, QLatin1String(key));
        return false;
    }
    *out = v.toString();
    return true;
}

std::optional<int> channelNumber(const QString& key)
{
    bool ok = false;
    const int n = key.toInt(&ok, 10);
    if (!ok || n <= 0 || QString::number(n) != key)
        return std::nullopt;
    return n;
}

bool knownKeys(const QJsonObject& o, std::initializer_list<const char*> keys, const QString& where,
               const QString& file, QString* error)
{
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (std::none_of(keys.begin(), keys.end(),
                         [&it](const char* k) { return it.key() == QLatin1String(k); })) {
            *error = tr("%1\"%2\" is not a key of %3").arg(where, it.key(), file);
            return false;
        }
    }
    return true;
}

int kindOfName(const QString& name)
{
    for (int kind = Kind::First; kind <= Kind::Last; ++kind) {
        if (name.compare(kindName(kind), Qt::CaseInsensitive) == 0)
            return kind;
    }
    return 0;
}

void putOptional(QJsonObject& o, const char* key, const std::optional<double>& v)
{
    if (v)
        o.insert(QLatin1String(key), *v);
}

bool channels(const QJsonObject& o, const std::function<bool(int, const QJsonValue&)>& each,
              QString* error)
{
    const QJsonValue channels = o.value(QLatin1String("channels"));
    if (channels.isUndefined())
        return true;
    if (!channels.isObject()) {
        *error = tr("\"channels\" must be an object");
        return false;
    }
    const QJsonObject byPosition = channels.toObject();
    for (auto it = byPosition.begin(); it != byPosition.end(); ++it) {
        const std::optional<int> position = channelNumber(it.key());
        if (!position) {
            *error = tr("channel \"%1\" is not a positive whole number").arg(it.key());
            return false;
        }
        if (!each(*position, it.value()))
            return false;
    }
    return true;
}

std::optional<QJsonObject> object(const QByteArray& json, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull()) {
        *error = tr("not JSON: %1 at byte %2").arg(parseError.errorString()).arg(parseError.offset);
        return std::nullopt;
    }
    if (!doc.isObject()) {
        *error = tr("not a JSON object");
        return std::nullopt;
    }
    return doc.object();
}

} // namespace JsonFields
