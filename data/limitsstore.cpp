#include "data/limitsstore.h"

#include "data/settingsstore.h"
#include "files/regularfile.h"

namespace {
const char* const limitsKey = "limits";
} // namespace

namespace LimitsStore {

Limits::LimitSet read()
{
    const QByteArray json = openSettingsStore().value(limitsKey).toByteArray();
    QString error;
    if (json.isEmpty())
        return {};
    return Limits::fromJson(json, &error).value_or(Limits::LimitSet{});
}

void store(const Limits::LimitSet& limits)
{
    openSettingsStore().setValue(limitsKey, QString::fromUtf8(Limits::toJson(limits)));
}

} // namespace LimitsStore

std::optional<Limits::LimitSet> LimitsStore::readFile(const QString& path, QString* error)
{
    const std::optional<QByteArray> bytes = RegularFile::read(path, 1024 * 1024, error);
    if (!bytes)
        return std::nullopt;
    return Limits::fromJson(*bytes, error);
}
