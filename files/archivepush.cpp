#include "files/archivepush.h"

#include "files/archive.h"
#include "files/archivestore.h"

namespace {

// Two pushes that store the same records in another order can deadlock; the server then ends
// one of them, which is simply tried again.
bool retryable(const QString& code)
{
    return code == QLatin1String("40P01") || code == QLatin1String("40001");
}

} // namespace

namespace Archive {

PushResult push(ArchiveStore& local, const QString& teamLocation,
                const std::function<void(int done, int of)>& pushedOne)
{
    PushResult result;
    const QList<Download> waiting = local.waiting();
    if (!local.isOpen()) {
        result.error = local.errorText();
        return result;
    }
    result.waiting = waiting.size();
    // Opened even when nothing waits: a push says whether the team archive can be reached.
    ArchiveStore team(ArchiveStore::Backend::Team, teamLocation);
    if (!team.isOpen()) {
        result.error = QStringLiteral("the team archive %1 cannot be used: %2")
                           .arg(shownLocation(teamLocation), team.errorText());
        local.setPushError(QUuid(), result.error);
        return result;
    }
    for (const Download& d : waiting) {
        QList<Entry> entries;
        if (!local.records(d.id, &entries)) {
            result.error = local.errorText();
            local.setPushError(d.id, result.error);
            continue;
        }
        bool put = false;
        for (int attempt = 0; attempt < 3 && !put; ++attempt) {
            put = team.put(d, entries);
            if (!put && !retryable(team.errorCode()))
                break;
        }
        if (!put) {
            result.error = team.errorText();
            local.setPushError(d.id, result.error);
            if (!team.isOpen())
                break;
            continue;
        }
        local.setPushed(d.id, QDateTime::currentDateTimeUtc());
        ++result.pushed;
        --result.waiting;
        if (pushedOne)
            pushedOne(result.pushed, waiting.size());
    }
    return result;
}

} // namespace Archive
