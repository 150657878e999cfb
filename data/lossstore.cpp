#include "data/lossstore.h"

#include "data/settingsstore.h"
#include "files/regularfile.h"

namespace LossStore {

namespace {

constexpr qint64 MaxFileBytes = 1024 * 1024;

QByteArray stored(const char* key)
{
    return openSettingsStore().value(QLatin1String(key)).toByteArray();
}

void store(const char* key, const QByteArray& json, bool empty)
{
    QSettings settings = openSettingsStore();
    if (empty)
        settings.remove(QLatin1String(key));
    else
        settings.setValue(QLatin1String(key), QString::fromUtf8(json));
}

template <typename T, typename Parse>
std::optional<T> readFile(const QString& path, QString* error, Parse parse)
{
    const std::optional<QByteArray> bytes = RegularFile::read(path, MaxFileBytes, error);
    if (!bytes)
        return std::nullopt;
    return parse(*bytes, error);
}

} // namespace

Loss::Reference reference()
{
    QString error;
    return Loss::referenceFromJson(stored("reference"), &error).value_or(Loss::Reference{});
}

void storeReference(const Loss::Reference& reference)
{
    store("reference", Loss::toJson(reference), !reference.isSet());
}

Loss::Budget budget()
{
    QString error;
    return Loss::budgetFromJson(stored("budget"), &error).value_or(Loss::Budget{});
}

void storeBudget(const Loss::Budget& budget)
{
    store("budget", Loss::toJson(budget), !budget.isSet());
}

JobBlock jobBlock()
{
    QString error;
    return JobBlocks::fromJson(stored("jobBlock"), &error).value_or(JobBlock{});
}

void storeJobBlock(const JobBlock& job)
{
    store("jobBlock", JobBlocks::toJson(job), job.isEmpty());
}

std::optional<Loss::Reference> readReferenceFile(const QString& path, QString* error)
{
    return readFile<Loss::Reference>(path, error, Loss::referenceFromJson);
}

std::optional<Loss::Budget> readBudgetFile(const QString& path, QString* error)
{
    return readFile<Loss::Budget>(path, error, Loss::budgetFromJson);
}

std::optional<JobBlock> readJobFile(const QString& path, QString* error)
{
    return readFile<JobBlock>(path, error, JobBlocks::fromJson);
}

} // namespace LossStore
