#pragma once

#include <QObject>
#include <QString>

#include <vector>

class QProcess;

// The external updater's name in the workspace.
QString updaterProgramPath(const QString &dirExe);

// Where the updater's output goes, made new at each start.
QString updaterLogPath(const QString &dirExe);

// Per system (Updater_posix.cpp, Updater_win.cpp): prepares a process that is not started yet
// to start on its own, so that nothing ends it with us, its window shown or hidden where the
// system gives programs one.
void startOnItsOwn(QProcess &process, bool windowShown);

// Starts a program and waits for it, up to a limit. A program still running at the limit is
// kept running on its own; it is never killed, not even when this program ends.
class ProgramLauncher {
public:
    enum class Outcome { Ended, LimitPassed, NotStarted };
    struct Result {
        Outcome outcome = Outcome::NotStarted;
        QString error;              // why it did not start
        QProcess *process = nullptr; // the program still running after the limit
    };

    ProgramLauncher() = default;
    ProgramLauncher(const ProgramLauncher &) = delete;
    ProgramLauncher &operator=(const ProgramLauncher &) = delete;
    ~ProgramLauncher();

    // No shell: `parameter` is split into arguments like a command line. The program gets this
    // program's working folder, the null device as input, its output and errors in `logPath`
    // (made new as a regular file; the null device when empty or not writable), and starts on its
    // own (startOnItsOwn), so it outlives us. A program that does not start leaves no log.
    // While it runs the event loop turns, so windows repaint, but keyboard, mouse and close
    // requests are dropped.
    Result run(const QString &program, const QString &parameter, int limitMs, const QString &logPath = QString(),
               bool windowShown = true);

private:
    std::vector<QProcess *> m_running;
};
