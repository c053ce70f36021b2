#include "Probe.h"

#include <windows.h>

long processId()
{
    return long(GetCurrentProcessId());
}

std::string startProbe()
{
    // The null device is a character device; a pipe or a file is not.
    const bool nullInput = GetFileType(GetStdHandle(STD_INPUT_HANDLE)) == FILE_TYPE_CHAR;
    BOOL inJob = TRUE;
    IsProcessInJob(GetCurrentProcess(), nullptr, &inJob);
    STARTUPINFOW start {};
    start.cb = sizeof start;
    GetStartupInfoW(&start);
    const bool shown = !(start.dwFlags & STARTF_USESHOWWINDOW) || start.wShowWindow != SW_HIDE;
    return std::string("stdin=") + (nullInput ? "null" : "other") + "\nown=" + (inJob ? "no" : "yes")
           + "\nwindow=" + (shown ? "shown" : "hidden") + "\n";
}
