#include "core/TextEncoding.h"

#include <QStringDecoder>

namespace {

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString decodeWindows1252(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.append(QChar(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : char16_t(b)));
    }
    return out;
}

std::optional<QString> decodeStrictUtf8(QByteArrayView bytes)
{
    // Stateless: a sequence cut off at the end is an error, not a wait for more bytes.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

int firstLineNotUtf8(QByteArrayView bytes)
{
    // A line break is never part of a longer sequence, so each line can be decoded on its own.
    int line = 1;
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        if (!decodeStrictUtf8(bytes.sliced(start, end - start)))
            return line;
        ++line;
        start = end + 1;
    }
    return 0;
}
