#include "update/DeviceCheck.h"

#include "update/Pinger.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace {
// Waits `ms` while the event loop runs, so the windows keep reacting.
void pauseHandlingEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

bool checkDevice(Pinger &pinger, const QString &target, qint32 &ping_res,
                 const std::function<bool()> &cancelled, QString *error)
{
    ping_res = kPingNone;
    QElapsedTimer sinceStart;
    sinceStart.start();
    int successes = 0;
    for (;;) {
        QString echoError;
        const Pinger::Outcome outcome = pinger.echo(target, target.toLatin1(), kReplyTimeoutMs, &echoError);
        if (outcome == Pinger::Outcome::Error) {
            if (error)
                *error = echoError;
            return false;
        }
        ping_res = outcome == Pinger::Outcome::Reply ? kPingReply : kPingNoReply;
        // The echo has waited for its reply already, so one pause follows each attempt.
        pauseHandlingEvents(kCheckPauseMs);
        if (cancelled && cancelled())
            return false;

        if (ping_res == kPingReply && ++successes == 2)
            break;
        if (sinceStart.elapsed() > kCheckLimitMs)
            break;
    }
    return ping_res == kPingReply;
}
