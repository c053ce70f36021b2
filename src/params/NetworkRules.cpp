#include "params/NetworkRules.h"

#include "core/Ipv4.h"

namespace {

bool isContiguous(quint32 mask)
{
    // Ones then zeros: inverted, the zeros form a run from bit 0, so adding one clears them all.
    const quint32 hostBits = ~mask;
    return (hostBits & (hostBits + 1)) == 0;
}

int prefixLength(quint32 mask)
{
    int length = 0;
    while (length < 32 && (mask & (0x80000000u >> length)))
        ++length;
    return length;
}

} // namespace

std::optional<quint32> addressOf(const ParameterValues &values, Param::Id first)
{
    return readIpv4({values[first], values[first + 1], values[first + 2], values[first + 3]}, Ipv4Syntax::IntegerFields);
}

QList<NetworkWarning> networkWarnings(const ParameterValues &values)
{
    QList<NetworkWarning> warnings;
    const QString ipKey = parameter(Param::ModbusTCPSlave_IP1).key;
    const std::optional<quint32> address = addressOf(values, Param::ModbusTCPSlave_IP1);
    const std::optional<quint32> mask = addressOf(values, Param::ModbusTCPSlave_SM1);

    if (mask && !isContiguous(*mask))
        warnings.append({parameter(Param::ModbusTCPSlave_SM1).key,
                         QStringLiteral("the subnet mask %1 is not a run of one-bits followed by zero-bits")
                             .arg(dottedIpv4(*mask))});

    if (address) {
        const quint8 first = quint8(*address >> 24);
        if (first == 0)
            warnings.append({ipKey, QStringLiteral("the address %1 lies in 0.0.0.0/8, which no device may use").arg(dottedIpv4(*address))});
        else if (first == 127)
            warnings.append({ipKey, QStringLiteral("the address %1 is a loopback address (127.0.0.0/8)").arg(dottedIpv4(*address))});
        else if (*address == 0xFFFFFFFFu)
            warnings.append({ipKey, QStringLiteral("the address 255.255.255.255 is the limited broadcast address")});
        else if (first >= 224 && first <= 239)
            warnings.append({ipKey, QStringLiteral("the address %1 is a multicast address (224.0.0.0/4)").arg(dottedIpv4(*address))});
    }

    // A /31 or /32 subnet has no network or broadcast address of its own.
    if (address && mask && isContiguous(*mask) && prefixLength(*mask) < 31) {
        const QString subnet = dottedIpv4(*address & *mask) + u'/' + QString::number(prefixLength(*mask));
        if ((*address & ~*mask) == 0)
            warnings.append({ipKey, QStringLiteral("the address %1 is the network address of its subnet %2")
                                        .arg(dottedIpv4(*address), subnet)});
        else if ((*address | *mask) == 0xFFFFFFFFu)
            warnings.append({ipKey, QStringLiteral("the address %1 is the broadcast address of its subnet %2")
                                        .arg(dottedIpv4(*address), subnet)});
    }

    if (values[Param::ModbusTCPSlave_En_GAT] == u"1" && address && mask) {
        const std::optional<quint32> gateway = addressOf(values, Param::ModbusTCPSlave_GAT1);
        if (gateway && (*gateway & *mask) != (*address & *mask))
            warnings.append({parameter(Param::ModbusTCPSlave_GAT1).key,
                             QStringLiteral("the gateway %1 lies outside the device's subnet %2 with mask %3")
                                 .arg(dottedIpv4(*gateway), dottedIpv4(*address & *mask), dottedIpv4(*mask))});
    }
    return warnings;
}
