#include "tool/StandardStreams.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

StandardStreams::StandardStreams()
{
    // The C runtime would write each "\n" as "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const UINT codePage = GetConsoleOutputCP(); // 0 without a console
    if (codePage != 0 && codePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        m_consoleCodePage = codePage;
}

int StandardStreams::finish(int code)
{
    std::fflush(stdout);
    std::fflush(stderr);
    if (m_consoleCodePage != 0)
        SetConsoleOutputCP(m_consoleCodePage);
    TerminateProcess(GetCurrentProcess(), UINT(code));
    return code;
}

StandardStreams::~StandardStreams()
{
    std::fflush(stdout);
    std::fflush(stderr);
    if (m_consoleCodePage != 0)
        SetConsoleOutputCP(m_consoleCodePage);
}
