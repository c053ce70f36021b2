#include "update/Updater.h"

#include "core/FileSystem.h"
#include "core/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>

namespace {
constexpr int kPollMs = 10;

// The log is made new at each start, as a regular file: whatever stands at its name (the earlier
// log, a link, a FIFO) is removed, never opened, so nothing is written where a link points.
bool startLog(const QString &logPath)
{
    if (logPath.isEmpty())
        return false;
    const EntryKind kind = entryKind(logPath);
    if (kind == EntryKind::Folder || (kind != EntryKind::Missing && !QFile::remove(logPath)))
        return false;
    QFile log(logPath);
    return log.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

// Drops user input and close requests, so nothing starts a second action while the program runs.
class InputBlocker : public QObject {
public:
    InputBlocker() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputBlocker() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return event->spontaneous();
        default:
            return false;
        }
    }
};
} // namespace

QString updaterProgramPath(const QString &dirExe)
{
    return joinPath(dirExe, QStringLiteral("Ethernet_Update.exe"));
}

ProgramLauncher::~ProgramLauncher()
{
    // Deleting a QProcess kills its program; an updater still writing a device must go on.
    // The handles stay reachable until the program ends, on purpose.
    static auto *const kept = new std::vector<QProcess *>;
    for (QProcess *process : m_running) {
        process->disconnect();
        process->setParent(nullptr);
        kept->push_back(process);
    }
}

QString updaterLogPath(const QString &dirExe)
{
    return joinPath(dirExe, QStringLiteral("Ethernet_Update.log"));
}

ProgramLauncher::Result ProgramLauncher::run(const QString &program, const QString &parameter, int limitMs,
                                             const QString &logPath, bool windowShown)
{
    Result result;
    auto *process = new QProcess;
    // Nothing may tie the program's life to ours: no pipe whose reader can vanish (its next line
    // of output would kill it), and nothing of ours that ends it when we end.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::MergedChannels);
    // A program that is not there leaves the earlier log as it was.
    const QFileInfo programFile(program);
    if (programFile.isAbsolute() && !(programFile.isFile() && programFile.isExecutable())) {
        result.error = QDir::toNativeSeparators(program)
                       + (programFile.exists() ? QStringLiteral(": not an executable file") : QStringLiteral(": not found"));
        delete process;
        return result;
    }
    const bool logged = startLog(logPath);
    process->setStandardOutputFile(logged ? logPath : QProcess::nullDevice());
    startOnItsOwn(*process, windowShown);
    process->start(program, QProcess::splitCommand(parameter));
    if (!process->waitForStarted()) {
        result.error = process->errorString();
        delete process;
        if (logged && QFileInfo(logPath).size() == 0)
            QFile::remove(logPath);
        return result;
    }

    QElapsedTimer clock;
    clock.start();
    {
        InputBlocker blocker;
        while (process->state() != QProcess::NotRunning && clock.elapsed() < limitMs) {
            process->waitForFinished(kPollMs);
            QCoreApplication::processEvents();
        }
    }
    if (process->state() == QProcess::NotRunning) {
        delete process;
        result.outcome = Outcome::Ended;
        return result;
    }

    m_running.push_back(process);
    QObject::connect(process, &QProcess::finished, process, [this, process] {
        m_running.erase(std::remove(m_running.begin(), m_running.end(), process), m_running.end());
        process->deleteLater();
    });
    result.outcome = Outcome::LimitPassed;
    result.process = process;
    return result;
}
