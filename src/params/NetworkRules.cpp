#include "params/NetworkRules.h"

#include "core/Ipv4.h"
#include "core/TextIndex.h"

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

QList<NetworkWarning> networkWarnings(const ParameterValues &values, const TextTable &texts)
{
    QList<NetworkWarning> warnings;
    const QString ipKey = parameter(Param::ModbusTCPSlave_IP1).key;
    const auto warn = [&](const QString &key, int text, const QStringList &args) {
        warnings.append({key, texts.text(text, args)});
    };
    const std::optional<quint32> address = addressOf(values, Param::ModbusTCPSlave_IP1);
    const std::optional<quint32> mask = addressOf(values, Param::ModbusTCPSlave_SM1);

    if (mask && !isContiguous(*mask))
        warn(parameter(Param::ModbusTCPSlave_SM1).key, Txt::NetMaskNotContiguous, {dottedIpv4(*mask)});

    if (address) {
        const quint8 first = quint8(*address >> 24);
        const QString shown = dottedIpv4(*address);
        if (first == 0)
            warn(ipKey, Txt::NetAddressThisNetwork, {shown});
        else if (first == 127)
            warn(ipKey, Txt::NetAddressLoopback, {shown});
        else if (*address == 0xFFFFFFFFu)
            warn(ipKey, Txt::NetAddressLimitedBroadcast, {shown});
        else if (first >= 224 && first <= 239)
            warn(ipKey, Txt::NetAddressMulticast, {shown});
    }

    // A /31 or /32 subnet has no network or broadcast address of its own.
    if (address && mask && isContiguous(*mask) && prefixLength(*mask) < 31) {
        const QString subnet = dottedIpv4(*address & *mask) + u'/' + QString::number(prefixLength(*mask));
        if ((*address & ~*mask) == 0)
            warn(ipKey, Txt::NetAddressIsNetwork, {dottedIpv4(*address), subnet});
        else if ((*address | *mask) == 0xFFFFFFFFu)
            warn(ipKey, Txt::NetAddressIsBroadcast, {dottedIpv4(*address), subnet});
    }

    if (values[Param::ModbusTCPSlave_En_GAT] == u"1" && address && mask) {
        const std::optional<quint32> gateway = addressOf(values, Param::ModbusTCPSlave_GAT1);
        if (gateway && (*gateway & *mask) != (*address & *mask))
            warn(parameter(Param::ModbusTCPSlave_GAT1).key, Txt::NetGatewayOutsideSubnet,
                 {dottedIpv4(*gateway), dottedIpv4(*address & *mask), dottedIpv4(*mask)});
    }
    return warnings;
}
