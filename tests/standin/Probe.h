#pragma once

#include <string>

// Per system (Probe_posix.cpp, Probe_win.cpp): what the stand-in updater sees of its start.

// This process's id, as its starter sees it.
long processId();

// How it was started, one "key=value" line each:
//   stdin=null|other   its input is the null device, not a pipe or terminal of its starter's
//   own=yes|no         nothing of its starter's ends it: a session of its own (POSIX), no job
//                      object (Windows)
//   window=shown|hidden  the show mode it was given (Windows); elsewhere a program shows its own
std::string startProbe();
