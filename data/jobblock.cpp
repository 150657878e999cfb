#include "data/jobblock.h"

#include "data/jsonfields.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace JobBlocks {

std::optional<JobBlock> fromJson(const QByteArray& json, QString* error)
{
    const std::optional<QJsonObject> o = JsonFields::object(json, error);
    if (!o || !JsonFields::knownKeys(*o, {"company", "customer", "site", "link", "operator", "logo"},
                                     QString(), QStringLiteral("a job file"), error))
        return std::nullopt;
    JobBlock j;
    if (!JsonFields::readText(*o, "company", QString(), &j.company, error) ||
        !JsonFields::readText(*o, "customer", QString(), &j.customer, error) ||
        !JsonFields::readText(*o, "site", QString(), &j.site, error) ||
        !JsonFields::readText(*o, "link", QString(), &j.link, error) ||
        !JsonFields::readText(*o, "operator", QString(), &j.operatorName, error) ||
        !JsonFields::readText(*o, "logo", QString(), &j.logo, error))
        return std::nullopt;
    return j;
}

QByteArray toJson(const JobBlock& job)
{
    QJsonObject o;
    const auto put = [&o](const char* key, const QString& value) {
        if (!value.isEmpty())
            o.insert(QLatin1String(key), value);
    };
    put("company", job.company);
    put("customer", job.customer);
    put("site", job.site);
    put("link", job.link);
    put("operator", job.operatorName);
    put("logo", job.logo);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace JobBlocks
