#pragma once

#include <QString>

#include <functional>

class ArchiveStore;

namespace Archive {

struct PushResult {
    int pushed = 0;  // downloads the team archive took
    int waiting = 0; // downloads that still wait, after a failure
    QString error;   // why the last push failed; empty when none did
};

// Pushes every download of this computer's archive `local` that waits to the team archive
// `teamLocation`, oldest first, one transaction each, and notes in `local` which were taken and
// why any was not. Stops at a server that cannot be reached; the rest wait for the next push.
// `pushedOne` hears of each download taken, with the number done and the number there were.
PushResult push(ArchiveStore& local, const QString& teamLocation,
                const std::function<void(int done, int of)>& pushedOne = {});

} // namespace Archive
