#include "support/Processes.h"

#include <windows.h>

namespace {
struct Process {
    explicit Process(qint64 pid, DWORD access) : handle(pid > 0 ? OpenProcess(access, FALSE, DWORD(pid)) : nullptr) {}
    ~Process()
    {
        if (handle)
            CloseHandle(handle);
    }
    HANDLE handle;
};
} // namespace

bool isProcessRunning(qint64 pid)
{
    const Process process(pid, SYNCHRONIZE);
    return process.handle && WaitForSingleObject(process.handle, 0) == WAIT_TIMEOUT;
}

void killProcess(qint64 pid)
{
    const Process process(pid, PROCESS_TERMINATE);
    if (process.handle)
        TerminateProcess(process.handle, 9);
}
