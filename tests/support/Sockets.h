#pragma once

#include <QtGlobal>

// Per system (Sockets_posix.cpp, Sockets_win.cpp): the next close of this connected socket resets
// the connection instead of ending it in order.
void resetOnClose(qintptr descriptor);
