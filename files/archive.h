#pragma once

#include "data/identity.h"
#include "data/limits.h"
#include "data/loss.h"
#include "data/measurement.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// What the archive keeps of a download and its records, as plain values; ArchiveStore reads and
// writes them.
namespace Archive {

// One download as it is archived, and as the archive lists it.
struct Download {
    QUuid id;
    MeterIdentity meter;
    int kind = 0;  // the kind code its records were decoded as
    int total = 0; // records the meter said it holds
    QDateTime started;
    QDateTime ended; // null while the download runs, or when it never ended
    bool complete = false;
    QString job;
    QString user;
    QString host;
    // The limits in force when it was made; off when none judged its records.
    Limits::LimitSet limits;
    // The reference and loss budget in force when it was made; unset when there was none.
    Loss::Reference reference;
    Loss::Budget budget;
    // As listed: records archived, records judged and records that failed.
    int records = 0;
    int judged = 0;
    int failed = 0;
    // In this computer's archive: when the team archive took it, null until it has; and why the
    // last push of it failed, empty when none has.
    QDateTime pushed;
    QString pushError;
};

// A record as the download listed it, with its verdict then; none where no limits judged it.
struct Entry {
    Measurement record;
    std::optional<bool> pass;
};

// Which downloads a listing shows.
struct Filter {
    enum Verdict { Any, Passed, Failed, NotJudged };
    // Matched, in any case, against the job, the meter's product and serial, the day it was made
    // ("2026-03-01") and its records' names and dates; empty matches every download.
    QString text;
    Verdict verdict = Any;
};

// The archive's file: VELUMIN_ARCHIVE when set, else the settings key "archive", else
// archive.sqlite in the application's data folder.
QString location();

// The team archive's PostgreSQL connection string: VELUMIN_TEAM_ARCHIVE when set, else the
// settings key "teamArchive"; empty when there is no team archive.
QString teamLocation();

// A connection string as it may be shown: any password in it is replaced by "****".
QString shownLocation(const QString& conninfo);

// The job text new downloads are archived under, remembered in the settings store.
QString nextJob();
void setNextJob(const QString& job);

// The "user@host" of this workstation, as a download is archived with.
QString userName();
QString hostName();

} // namespace Archive
