#pragma once

#include "files/archive.h"

#include <QByteArray>

// velumin-export --archived: the archived downloads, newest first, one JSON object a line.
namespace ArchivedList {

// {"id", "started", "ended", "complete", "job", "meter": {...}, "records"} of `download`, on one
// line with its line end.
QByteArray line(const Archive::Download& download);

// Prints the archive at Archive::location(); the exit status.
int print();

} // namespace ArchivedList
