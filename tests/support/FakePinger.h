#pragma once

#include "update/Pinger.h"

#include <QMetaType>
#include <QStringList>
#include <QThread>

#include <functional>

// A device on demand: `answer` decides each attempt (counted from 0); an unanswered attempt
// takes its whole time-out, as a real one does. No packet is sent.
class FakePinger : public Pinger {
public:
    using Answer = std::function<Outcome(int attempt)>;

    Outcome echo(const QString &address, const QByteArray &payload, int timeoutMs, QString *error) override
    {
        addresses << address;
        payloads << payload;
        const Outcome outcome = answer ? answer(attempts) : Outcome::Reply;
        ++attempts;
        if (outcome == Outcome::NoReply)
            QThread::msleep(timeoutMs);
        if (outcome == Outcome::Error && error)
            *error = QStringLiteral("fake echo error");
        return outcome;
    }

    Answer answer; // empty: always answers
    int attempts = 0;
    QStringList addresses;
    QList<QByteArray> payloads;
};
Q_DECLARE_METATYPE(FakePinger::Answer)
