// The address readers on any text: Split_IP_Address gives four trimmed parts that are numbers
// 0 ... 255; the stricter rules accept a subset with the same address; what the writer makes
// reads back under the strictest rule.
#include "core/IntegerConversion.h"
#include "core/Ipv4.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<quint32> typed = readIpv4(text, Ipv4Syntax::IntegerParts);
    for (const Ipv4Syntax stricter : {Ipv4Syntax::IntegerFields, Ipv4Syntax::PlainDecimal}) {
        const std::optional<quint32> address = readIpv4(text, stricter);
        if (address && address != typed)
            std::abort();
    }
    if (typed && readIpv4(dottedIpv4(*typed), Ipv4Syntax::PlainDecimal) != typed)
        std::abort();

    QString parts[4];
    if (Split_IP_Address(text, parts[0], parts[1], parts[2], parts[3]) != typed.has_value())
        std::abort();
    if (!typed)
        return 0;
    for (const QString &part : parts) {
        const qint32 value = toIntegerDef(part, 1000);
        if (value < 0 || value > 255)
            std::abort();
        if (!part.isEmpty() && (part.front().unicode() <= 32 || part.back().unicode() <= 32))
            std::abort();
    }
    return 0;
}
