#include "update/Updater.h"

#include <QProcess>

#include <windows.h>

namespace {
// A job that ends its processes with it would end the updater with us, unless it lets a child
// break away; one that does not refuses a start that asks to.
bool mayBreakAwayFromJob()
{
    BOOL inJob = FALSE;
    if (!IsProcessInJob(GetCurrentProcess(), nullptr, &inJob) || !inJob)
        return false;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits {};
    if (!QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &limits, sizeof limits, nullptr))
        return false;
    return limits.BasicLimitInformation.LimitFlags & JOB_OBJECT_LIMIT_BREAKAWAY_OK;
}
} // namespace

void startOnItsOwn(QProcess &process, bool windowShown)
{
    const bool breakAway = mayBreakAwayFromJob();
    process.setCreateProcessArgumentsModifier([windowShown, breakAway](QProcess::CreateProcessArguments *args) {
        // Qt starts the children of a program without a console with no window at all; a console
        // updater gets a console of its own instead, which our end leaves open. A window program
        // ignores the flag.
        args->flags &= ~DWORD(CREATE_NO_WINDOW);
        args->flags |= CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP;
        if (breakAway)
            args->flags |= CREATE_BREAKAWAY_FROM_JOB;
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = windowShown ? SW_SHOWNORMAL : SW_HIDE;
    });
}
