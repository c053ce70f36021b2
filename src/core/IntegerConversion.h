#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The one rule by which a parameter text becomes a number: leading spaces, an optional sign,
// then decimal digits (fitting 32 bits signed) or up to eight hexadecimal digits after
// "$", "x", "X", "0x" or "0X" (a 32-bit two's-complement pattern), and nothing after them.
std::optional<qint32> toInteger(const QString &text);

// toInteger, or `fallback` when the text does not convert.
qint32 toIntegerDef(const QString &text, qint32 fallback);
