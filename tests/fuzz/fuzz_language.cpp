// Language files come from translators: any bytes must give a full table and nothing worse.
#include "i18n/Language.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TextTable table;
    Set_Default_Lang(table);
    applyLanguageText(table, decodeLanguageFile(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))));
    if (table.entries.size() != kTextCount)
        std::abort();
    return 0;
}
