#include "update/Updater.h"

#include "core/Paths.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QProcess>

#include <algorithm>

namespace {
constexpr int kPollMs = 10;

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
    QFile log(logPath);
    const bool logged = !logPath.isEmpty() && log.open(QIODevice::WriteOnly | QIODevice::Truncate);
    log.close();
    process->setStandardOutputFile(logged ? logPath : QProcess::nullDevice());
    startOnItsOwn(*process, windowShown);
    process->start(program, QProcess::splitCommand(parameter));
    if (!process->waitForStarted()) {
        result.error = process->errorString();
        delete process;
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
