#pragma once
// The temporary files outputs are written to before they take their place,
// and stopping at once on SIGINT, SIGTERM or SIGHUP without leaving any of
// them behind. Outputs already in place stay.

#include <string>

namespace tovtex_tool {

// From here on an interrupting signal removes every temporary file still
// registered and ends the process with 128 + the signal's number. Signals
// the tool was started with ignored stay ignored. Call at the start of
// main, before any thread starts: the signals are blocked in every thread
// and taken by one thread of their own.
void StopOnSignals();

// Creates a new empty file with a fresh hidden name in folder (a path
// ending in '/', or "" for the working folder) derived from name, with the
// mode a new file gets (0666 less the umask), registered for removal on
// interruption. The open descriptor, or -1 with errno set.
int CreateTempFile(const std::string& folder, const std::string& name, std::string* tempPath);

// Renames the temporary file over target and forgets it: on interruption
// the output is either the old file or the whole new one. False with errno
// set (the temporary file is then still registered).
bool CommitTempFile(const std::string& tempPath, const std::string& target);

// Removes the temporary file and forgets it.
void DiscardTempFile(const std::string& tempPath);

}  // namespace tovtex_tool
