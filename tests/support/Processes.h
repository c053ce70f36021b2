#pragma once

#include <QtGlobal>

#include <optional>

// Per system (Processes_posix.cpp, Processes_win.cpp): a process that this test started, by its id.
bool isProcessRunning(qint64 pid);
// Ends it at once, as a crash or the task manager would.
void killProcess(qint64 pid);
// Whether this process has a library loaded whose file name starts with `prefix` ("libcurl");
// nothing when the system does not tell.
std::optional<bool> isLibraryLoaded(const char *prefix);
