#include "support/Processes.h"

#include <QString>

#include <windows.h>
#include <tlhelp32.h>

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

std::optional<bool> isLibraryLoaded(const char *prefix)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const QString wanted = QString::fromLatin1(prefix);
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &module); more && !found; more = Module32NextW(snapshot, &module))
        found = QString::fromWCharArray(module.szModule).startsWith(wanted, Qt::CaseInsensitive);
    CloseHandle(snapshot);
    return found;
}
