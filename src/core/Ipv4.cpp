#include "core/Ipv4.h"

#include "core/Comon.h"
#include "core/IntegerConversion.h"

#include <QList>

namespace {

QString partAsRead(QStringView part, Ipv4Syntax syntax)
{
    return syntax == Ipv4Syntax::IntegerParts ? trimControl(part) : part.toString();
}

std::optional<quint8> plainDecimalPart(const QString &part)
{
    if (part.isEmpty() || part.size() > 3)
        return std::nullopt;
    int value = 0;
    for (QChar c : part) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > 255)
        return std::nullopt;
    return quint8(value);
}

std::optional<quint8> partValue(const QString &part, Ipv4Syntax syntax)
{
    if (syntax == Ipv4Syntax::PlainDecimal)
        return plainDecimalPart(part);
    const std::optional<qint32> value = toInteger(part);
    if (!value || *value < 0 || *value > 255)
        return std::nullopt;
    return quint8(*value);
}

} // namespace

std::optional<quint32> readIpv4(const Ipv4Parts &parts, Ipv4Syntax syntax)
{
    quint32 address = 0;
    for (const QString &part : parts) {
        const std::optional<quint8> value = partValue(partAsRead(part, syntax), syntax);
        if (!value)
            return std::nullopt;
        address = address << 8 | *value;
    }
    return address;
}

std::optional<quint32> readIpv4(QStringView text, Ipv4Syntax syntax, Ipv4Parts *parts)
{
    const QList<QStringView> pieces = text.split(u'.');
    if (pieces.size() != 4)
        return std::nullopt;
    Ipv4Parts read;
    for (qsizetype i = 0; i < 4; ++i)
        read[size_t(i)] = partAsRead(pieces.at(i), syntax);
    const std::optional<quint32> address = readIpv4(read, syntax);
    if (address && parts)
        *parts = read;
    return address;
}

bool Split_IP_Address(const QString &Text, QString &IP1, QString &IP2, QString &IP3, QString &IP4)
{
    Ipv4Parts parts;
    if (!readIpv4(Text, Ipv4Syntax::IntegerParts, &parts))
        return false;
    IP1 = parts[0];
    IP2 = parts[1];
    IP3 = parts[2];
    IP4 = parts[3];
    return true;
}

QString dottedIpv4(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(QString::number(address >> 24), QString::number(address >> 16 & 0xFF),
             QString::number(address >> 8 & 0xFF), QString::number(address & 0xFF));
}

QString dottedIpv4(const quint8 (&bytes)[4])
{
    return dottedIpv4(quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | bytes[3]);
}
