// The integer conversion against a slow reference of the same rule.
#include "core/IntegerConversion.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {
std::optional<qint32> reference(const QString &text)
{
    QString t = text;
    while (t.startsWith(u' '))
        t.remove(0, 1);
    bool negative = false;
    if (t.startsWith(u'+') || t.startsWith(u'-')) {
        negative = t.startsWith(u'-');
        t.remove(0, 1);
    }
    for (const QString prefix : {QStringLiteral("0x"), QStringLiteral("0X"), QStringLiteral("$"), QStringLiteral("x"),
                                 QStringLiteral("X")}) {
        if (t.startsWith(prefix) && t.size() > prefix.size()) {
            const QString digits = t.mid(prefix.size());
            if (digits.size() > 8)
                return std::nullopt;
            for (QChar c : digits)
                if (!c.isDigit() && !QStringLiteral("abcdefABCDEF").contains(c))
                    return std::nullopt;
            for (QChar c : digits)
                if (c.unicode() > 127)
                    return std::nullopt;
            quint32 v = digits.toUInt(nullptr, 16);
            return qint32(negative ? 0u - v : v);
        }
    }
    if (t.isEmpty())
        return std::nullopt;
    for (QChar c : t)
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return std::nullopt;
    bool ok = false;
    const qlonglong v = (negative ? QStringLiteral("-") + t : t).toLongLong(&ok);
    if (!ok || v < -2147483648LL || v > 2147483647LL)
        return std::nullopt;
    return qint32(v);
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    if (toInteger(text) != reference(text))
        std::abort();
    return 0;
}
