#pragma once

// Per system (StandardStreams_posix.cpp, StandardStreams_win.cpp): while it lives, the tool's
// standard output and error carry its bytes unchanged, so that an export or a report written to
// them is byte for byte the same on every system, and a console shows their UTF-8 text. It puts
// the console back as it was when it goes.
class StandardStreams {
public:
    StandardStreams();
    ~StandardStreams();
    StandardStreams(const StandardStreams &) = delete;
    // What main returns: `code`, once the streams are flushed. On Windows the tool ends here,
    // without the libraries' detach: there the C++ runtime's can hang after writer threads.
    int finish(int code);
    StandardStreams &operator=(const StandardStreams &) = delete;

private:
    unsigned m_consoleCodePage = 0; // the code page to put back, 0 for none
};
