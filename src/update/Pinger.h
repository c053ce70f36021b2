#pragma once

#include <QByteArray>
#include <QString>

// One ICMP echo to an IPv4 address; tests put a fake in its place.
class Pinger {
public:
    enum class Outcome {
        Reply,   // an echo reply came back within the time-out
        NoReply, // nothing came back in time
        Error,   // the echo could not be sent (bad address, no socket)
    };

    virtual ~Pinger() = default;
    // Sends one echo request carrying `payload` and waits up to `timeoutMs` for its reply.
    virtual Outcome echo(const QString &address, const QByteArray &payload, int timeoutMs, QString *error) = 0;
};

// The real echo, one file per system. POSIX: a datagram ICMP socket where the system allows one
// to ordinary users, else a raw socket (root), else the system's ping program. Windows: the
// system's ICMP service, which needs no privilege; the other methods report an error there.
class IcmpPinger : public Pinger {
public:
    enum class Method { Automatic, DatagramSocket, RawSocket, PingProgram };

    explicit IcmpPinger(Method method = Method::Automatic) : m_method(method) {}
    Outcome echo(const QString &address, const QByteArray &payload, int timeoutMs, QString *error) override;

private:
    Method m_method;
    quint16 m_sequence = 0;
};
