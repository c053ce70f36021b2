// Whatever a web server answers, the version parser gives a plain yes or no.
#include "i18n/VersionCheck.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString answer = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const qint32 version = Conv_Version(answer);
    if (version < -999 || version > 9999) // four characters, a sign among them at most
        std::abort();
    (void)isNewerVersion(answer);
    (void)isNewerVersion(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
