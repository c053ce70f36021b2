#include "update/Pinger.h"

#include "core/Ipv4.h"

#include <QtEndian>

#include <vector>

// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

namespace {
QString systemError(const char *what, DWORD code)
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what), qt_error_string(int(code)));
}

// The ICMP service's statuses that mean "the device did not answer", as opposed to an echo that
// could not be sent at all.
bool meansNoReply(DWORD status)
{
    switch (status) {
    case IP_REQ_TIMED_OUT:
    case IP_DEST_NET_UNREACHABLE:
    case IP_DEST_HOST_UNREACHABLE:
    case IP_DEST_PROT_UNREACHABLE:
    case IP_DEST_PORT_UNREACHABLE:
    case IP_TTL_EXPIRED_TRANSIT:
    case IP_TTL_EXPIRED_REASSEM:
        return true;
    default:
        return false;
    }
}

// Closes the ICMP handle however the echo ends.
struct IcmpHandle {
    HANDLE handle = IcmpCreateFile();
    ~IcmpHandle()
    {
        if (handle != INVALID_HANDLE_VALUE)
            IcmpCloseHandle(handle);
    }
};
} // namespace

Pinger::Outcome IcmpPinger::echo(const QString &address, const QByteArray &payload, int timeoutMs, QString *error)
{
    if (m_method != Method::Automatic) {
        if (error)
            *error = QStringLiteral("Windows echoes through its ICMP service only");
        return Outcome::Error;
    }
    const std::optional<quint32> target = readIpv4(address, Ipv4Syntax::PlainDecimal);
    if (!target) {
        if (error)
            *error = QStringLiteral("Not an IPv4 address: %1").arg(address);
        return Outcome::Error;
    }
    IcmpHandle icmp;
    if (icmp.handle == INVALID_HANDLE_VALUE) {
        if (error)
            *error = systemError("IcmpCreateFile", GetLastError());
        return Outcome::Error;
    }
    // Room for one reply with its data, an ICMP error message (8 bytes) and the service's status
    // block (two pointers).
    std::vector<char> replies(sizeof(ICMP_ECHO_REPLY) + size_t(payload.size()) + 8 + 2 * sizeof(void *));
    const DWORD count = IcmpSendEcho(icmp.handle, qToBigEndian(*target), const_cast<char *>(payload.constData()),
                                     WORD(payload.size()), nullptr, replies.data(), DWORD(replies.size()),
                                     DWORD(timeoutMs));
    const DWORD status = count > 0 ? reinterpret_cast<const ICMP_ECHO_REPLY *>(replies.data())->Status : GetLastError();
    if (status == IP_SUCCESS)
        return Outcome::Reply;
    if (meansNoReply(status))
        return Outcome::NoReply;
    if (error)
        *error = systemError("IcmpSendEcho", status);
    return Outcome::Error;
}
