#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <optional>

// How the four parts of a dotted IPv4 address are read. Each reader of addresses names the
// rule it needs; they differ on purpose.
enum class Ipv4Syntax {
    // As a person types it: blanks and control characters around the address and around each
    // part are dropped, and each part is a number by toInteger (sign, $/x/0x hexadecimal,
    // leading zeros) from 0 to 255.
    IntegerParts,
    // As the parameter set holds its four fields: each part a number by toInteger from 0 to
    // 255, untrimmed (toInteger itself passes over leading spaces, nothing else).
    IntegerFields,
    // Only what the network stack takes: one to three decimal digits a part, 0 to 255, nothing
    // around them, so a mistyped address never goes to a name server.
    PlainDecimal,
};

using Ipv4Parts = std::array<QString, 4>;

// The address of four separate parts, the first in the top byte; nothing when a part breaks
// the syntax.
std::optional<quint32> readIpv4(const Ipv4Parts &parts, Ipv4Syntax syntax);

// The same for a dotted text, which needs exactly three dots. On success `parts`, when given,
// receives the four part texts as read (trimmed for IntegerParts, otherwise as typed).
std::optional<quint32> readIpv4(QStringView text, Ipv4Syntax syntax, Ipv4Parts *parts = nullptr);

// The update window's splitting of a dotted address: IntegerParts, the parts trimmed but with
// leading zeros and hexadecimal prefixes kept; they are meant to be used only on success.
bool Split_IP_Address(const QString &Text, QString &IP1, QString &IP2, QString &IP3, QString &IP4);

// 192.168.0.10: plain decimal numbers, first number from the top byte.
QString dottedIpv4(quint32 address);

// An address held as four bytes in dotted order, as the configuration image holds it.
QString dottedIpv4(const quint8 (&bytes)[4]);
