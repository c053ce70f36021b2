// Parameter files copied between sites: the loader takes anything, and what it loaded saves
// and loads back to the same values.
#include "core/XmlLookup.h"
#include "params/ParameterFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QDomDocument doc;
    QString error;
    if (!parseXml(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), QStringLiteral("fuzz"), &doc, &error))
        return 0;
    const ParameterValues values = parameterValuesFromXml(doc);
    QDomDocument again;
    if (!parseXml(parameterFileBytes(values), QStringLiteral("saved"), &again, &error))
        std::abort();
    if (parameterValuesFromXml(again) != values)
        std::abort();
    return 0;
}
