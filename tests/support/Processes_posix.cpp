#include "support/Processes.h"

#include <csignal>

bool isProcessRunning(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

void killProcess(qint64 pid)
{
    if (pid > 0)
        ::kill(pid_t(pid), SIGKILL);
}
