#include "support/Processes.h"

#include <QFile>

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

std::optional<bool> isLibraryLoaded(const char *prefix)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return std::nullopt;
    return maps.readAll().contains(QByteArray("/") + prefix);
}
