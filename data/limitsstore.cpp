#include "data/limitsstore.h"

#include "files/regularfile.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

const char* const limitsKey = "limits";

QSettings openStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvra"),
                     QCoreApplication::applicationName());
}

} // namespace

namespace LimitsStore {

Limits::LimitSet read()
{
    const QByteArray json = openStore().value(limitsKey).toByteArray();
    QString error;
    if (json.isEmpty())
        return {};
    return Limits::fromJson(json, &error).value_or(Limits::LimitSet{});
}

void store(const Limits::LimitSet& limits)
{
    openStore().setValue(limitsKey, QString::fromUtf8(Limits::toJson(limits)));
}

} // namespace LimitsStore

std::optional<Limits::LimitSet> LimitsStore::readFile(const QString& path, QString* error)
{
    const std::optional<QByteArray> bytes = RegularFile::read(path, 1024 * 1024, error);
    if (!bytes)
        return std::nullopt;
    return Limits::fromJson(*bytes, error);
}
