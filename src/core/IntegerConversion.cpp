#include "core/IntegerConversion.h"

namespace {
int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}
}

std::optional<qint32> toInteger(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i) == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && (text.at(i) == u'$' || text.at(i) == u'x' || text.at(i) == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text.at(i) == u'0' && (text.at(i + 1) == u'x' || text.at(i + 1) == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;

    if (hex) {
        if (n - i > 8)
            return std::nullopt;
        quint32 value = 0;
        for (; i < n; ++i) {
            const int d = hexDigit(text.at(i));
            if (d < 0)
                return std::nullopt;
            value = (value << 4) | quint32(d);
        }
        if (negative)
            value = 0u - value;
        return qint32(value);
    }

    qint64 value = 0;
    for (; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = value * 10 + (u - u'0');
        if (value > qint64(2147483648LL))
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > qint64(2147483647LL))
        return std::nullopt;
    return qint32(value);
}

qint32 toIntegerDef(const QString &text, qint32 fallback)
{
    return toInteger(text).value_or(fallback);
}
