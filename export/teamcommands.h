#pragma once

#include <QString>

// velumin-export's work with the team archive.
namespace TeamCommands {

// What is said when a team archive is asked for and none is set.
QString noTeamText();

// --init-team-archive: makes the team archive's tables or brings them up to date; the exit
// status.
int init();

// --push: pushes every download of this computer's archive that waits; the exit status, Done
// when every one was pushed.
int push(bool quiet);

// After a download was archived: pushes what waits when a team archive is set. A failure is a
// warning line; the run's exit status stays as it is.
void pushAfterDownload();

} // namespace TeamCommands
