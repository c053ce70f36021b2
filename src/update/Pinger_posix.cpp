#include "update/Pinger.h"

#include "core/Ipv4.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr quint8 kEchoReply = 0;
constexpr quint8 kEchoRequest = 8;
constexpr int kHeaderSize = 8;

quint16 checksum(const QByteArray &data)
{
    quint32 sum = 0;
    for (qsizetype i = 0; i + 1 < data.size(); i += 2)
        sum += (quint8(data[i]) << 8) | quint8(data[i + 1]);
    if (data.size() % 2)
        sum += quint8(data[data.size() - 1]) << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum);
}

QByteArray echoRequest(quint16 identifier, quint16 sequence, const QByteArray &payload)
{
    QByteArray packet(kHeaderSize, '\0');
    packet[0] = char(kEchoRequest);
    packet[4] = char(identifier >> 8);
    packet[5] = char(identifier & 0xFF);
    packet[6] = char(sequence >> 8);
    packet[7] = char(sequence & 0xFF);
    packet += payload;
    const quint16 sum = checksum(packet);
    packet[2] = char(sum >> 8);
    packet[3] = char(sum & 0xFF);
    return packet;
}

// Closes the socket however the echo ends.
struct SocketGuard {
    int fd;
    ~SocketGuard()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// Echo over an open ICMP socket. A datagram socket delivers the ICMP message alone and sets the
// identifier itself; a raw one delivers the IP header too and sees every ICMP message of the host.
Pinger::Outcome socketEcho(int fd, bool raw, quint32 target, quint16 identifier, quint16 sequence,
                           const QByteArray &payload, int timeoutMs, QString *error)
{
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(target);
    const QByteArray request = echoRequest(identifier, sequence, payload);
    if (::sendto(fd, request.constData(), size_t(request.size()), 0, reinterpret_cast<sockaddr *>(&to), sizeof to) < 0) {
        if (error)
            *error = systemError("sendto");
        return Pinger::Outcome::Error;
    }

    QElapsedTimer clock;
    clock.start();
    char buffer[2048];
    for (;;) {
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0)
            return Pinger::Outcome::NoReply;
        pollfd pfd {fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, left);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return Pinger::Outcome::NoReply;
        sockaddr_in from {};
        socklen_t fromLength = sizeof from;
        const ssize_t got = ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &fromLength);
        if (got <= 0)
            continue;
        qsizetype offset = 0;
        if (raw) {
            offset = (quint8(buffer[0]) & 0x0F) * 4;
            if (got < offset + kHeaderSize)
                continue;
        } else if (got < kHeaderSize) {
            continue;
        }
        const auto *icmp = reinterpret_cast<const quint8 *>(buffer + offset);
        const quint16 gotIdentifier = quint16((icmp[4] << 8) | icmp[5]);
        const quint16 gotSequence = quint16((icmp[6] << 8) | icmp[7]);
        if (from.sin_addr.s_addr != to.sin_addr.s_addr || icmp[0] != kEchoReply || gotSequence != sequence)
            continue;
        if (raw && gotIdentifier != identifier)
            continue; // another program's echo
        return got - offset > 0 ? Pinger::Outcome::Reply : Pinger::Outcome::NoReply;
    }
}

// The ping program with one request and the same time-out, for systems that allow neither socket.
Pinger::Outcome programEcho(const QString &address, int timeoutMs, QString *error)
{
    QProcess ping;
    ping.start(QStringLiteral("ping"),
               {QStringLiteral("-n"), QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-W"),
                QString::number(timeoutMs / 1000.0, 'f', 3), address});
    if (!ping.waitForStarted(2000)) {
        if (error)
            *error = ping.errorString();
        return Pinger::Outcome::Error;
    }
    // The program itself gives up after the time-out; the margin covers its start and exit.
    if (!ping.waitForFinished(timeoutMs + 2000)) {
        ping.kill();
        ping.waitForFinished(1000);
        return Pinger::Outcome::NoReply;
    }
    if (ping.exitStatus() == QProcess::NormalExit && ping.exitCode() == 0)
        return Pinger::Outcome::Reply;
    if (ping.exitStatus() == QProcess::NormalExit && ping.exitCode() == 1)
        return Pinger::Outcome::NoReply;
    if (error)
        *error = QString::fromLocal8Bit(ping.readAllStandardError()).trimmed();
    return Pinger::Outcome::Error;
}
} // namespace

Pinger::Outcome IcmpPinger::echo(const QString &address, const QByteArray &payload, int timeoutMs, QString *error)
{
    const std::optional<quint32> target = readIpv4(address, Ipv4Syntax::PlainDecimal);
    if (!target) {
        if (error)
            *error = QStringLiteral("Not an IPv4 address: %1").arg(address);
        return Outcome::Error;
    }
    const quint16 sequence = ++m_sequence;
    const quint16 identifier = quint16(::getpid());

    // Datagram first: it needs no privilege where the system grants ICMP to ordinary users.
    const struct {
        Method method;
        int type;
        const char *name;
    } sockets[] = {{Method::DatagramSocket, SOCK_DGRAM, "ICMP datagram socket"},
                   {Method::RawSocket, SOCK_RAW, "ICMP raw socket"}};
    for (const auto &kind : sockets) {
        if (m_method != Method::Automatic && m_method != kind.method)
            continue;
        SocketGuard socket {::socket(AF_INET, kind.type, IPPROTO_ICMP)};
        if (socket.fd >= 0)
            return socketEcho(socket.fd, kind.type == SOCK_RAW, *target, identifier, sequence, payload, timeoutMs, error);
        if (m_method == kind.method) {
            if (error)
                *error = systemError(kind.name);
            return Outcome::Error;
        }
    }
    // Written out plainly: the program would read a leading zero as an octal number.
    return programEcho(dottedIpv4(*target), timeoutMs, error);
}
