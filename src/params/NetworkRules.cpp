#include "params/NetworkRules.h"

#include "core/IntegerConversion.h"

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
    quint32 address = 0;
    for (int i = 0; i < 4; ++i) {
        const std::optional<qint32> part = toInteger(values[first + i]);
        if (!part || *part < 0 || *part > 255)
            return std::nullopt;
        address = address << 8 | quint32(*part);
    }
    return address;
}

QString dottedAddress(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg(address >> 16 & 0xFF)
        .arg(address >> 8 & 0xFF)
        .arg(address & 0xFF);
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
                             .arg(dottedAddress(*mask))});

    if (address) {
        const quint8 first = quint8(*address >> 24);
        if (first == 0)
            warnings.append({ipKey, QStringLiteral("the address %1 lies in 0.0.0.0/8, which no device may use").arg(dottedAddress(*address))});
        else if (first == 127)
            warnings.append({ipKey, QStringLiteral("the address %1 is a loopback address (127.0.0.0/8)").arg(dottedAddress(*address))});
        else if (*address == 0xFFFFFFFFu)
            warnings.append({ipKey, QStringLiteral("the address 255.255.255.255 is the limited broadcast address")});
        else if (first >= 224 && first <= 239)
            warnings.append({ipKey, QStringLiteral("the address %1 is a multicast address (224.0.0.0/4)").arg(dottedAddress(*address))});
    }

    // A /31 or /32 subnet has no network or broadcast address of its own.
    if (address && mask && isContiguous(*mask) && prefixLength(*mask) < 31) {
        const QString subnet = QStringLiteral("%1/%2").arg(dottedAddress(*address & *mask)).arg(prefixLength(*mask));
        if ((*address & ~*mask) == 0)
            warnings.append({ipKey, QStringLiteral("the address %1 is the network address of its subnet %2")
                                        .arg(dottedAddress(*address), subnet)});
        else if ((*address | *mask) == 0xFFFFFFFFu)
            warnings.append({ipKey, QStringLiteral("the address %1 is the broadcast address of its subnet %2")
                                        .arg(dottedAddress(*address), subnet)});
    }

    if (values[Param::ModbusTCPSlave_En_GAT] == u"1" && address && mask) {
        const std::optional<quint32> gateway = addressOf(values, Param::ModbusTCPSlave_GAT1);
        if (gateway && (*gateway & *mask) != (*address & *mask))
            warnings.append({parameter(Param::ModbusTCPSlave_GAT1).key,
                             QStringLiteral("the gateway %1 lies outside the device's subnet %2 with mask %3")
                                 .arg(dottedAddress(*gateway), dottedAddress(*address & *mask), dottedAddress(*mask))});
    }
    return warnings;
}
