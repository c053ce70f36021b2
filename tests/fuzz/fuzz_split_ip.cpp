// Split_IP_Address on any text: on success four parts that are numbers 0 ... 255, trimmed.
#include "core/Comon.h"
#include "core/IntegerConversion.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    QString parts[4];
    if (!Split_IP_Address(text, parts[0], parts[1], parts[2], parts[3]))
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
