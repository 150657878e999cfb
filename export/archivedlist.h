#pragma once

#include "files/archive.h"

#include <QByteArray>

// velumin-export --archived: the archived downloads, newest first, one JSON object a line.
namespace ArchivedList {

// {"id", "started", "ended", "complete", "job", "meter": {...}, "records", "user", "host"} of
// `download`, on one line with its line end; with `pushState`, also "pushed" (when, or null) and
// "pushError" when its last push failed.
QByteArray line(const Archive::Download& download, bool pushState = false);

// Prints the archive at Archive::location(), or with `team` the team archive; the exit status.
int print(bool team);

} // namespace ArchivedList
