#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Text files as the machines where plans and translations are made write them: UTF-8, or the
// Windows-1252 code page that spreadsheets and editors use by default there.

// Windows-1252: bytes 0x80-0x9F as that code page has them, the rest as Latin-1.
QString decodeWindows1252(QByteArrayView bytes);

// The text of UTF-8 bytes (no byte-order mark dropped), or nothing when they are not UTF-8.
// A sequence cut off at the end is not UTF-8 either.
std::optional<QString> decodeStrictUtf8(QByteArrayView bytes);

// The first line (counting from 1) whose bytes are not UTF-8; 0 when all are.
int firstLineNotUtf8(QByteArrayView bytes);
