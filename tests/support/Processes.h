#pragma once

#include <QtGlobal>

// Per system (Processes_posix.cpp, Processes_win.cpp): a process that this test started, by its id.
bool isProcessRunning(qint64 pid);
// Ends it at once, as a crash or the task manager would.
void killProcess(qint64 pid);
