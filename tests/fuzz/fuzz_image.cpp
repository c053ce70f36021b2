// The image composer on any parameter-file bytes: 2048 bytes whose checksum holds, or the parser's message;
// and every image composed imports into a parameter file that composes it again.
#include "params/ConfigImage.h"
#include "params/ImageImport.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray image;
    QString error;
    if (!composeImage(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), QStringLiteral("fuzz"), &image,
                      &error)) {
        if (error.isEmpty() || !image.isEmpty())
            std::abort();
        return 0;
    }
    Config_Image decoded;
    quint32 stored = 0;
    quint32 computed = 0;
    if (image.size() != kImageSize || !Parse_Image(image, &decoded, &stored, &computed) || stored != computed)
        std::abort();
    QByteArray again(kImageSize, '\0');
    Serialise_Image(decoded, 0, again);
    if (again != image)
        std::abort();

    ImageImport imported;
    if (!importImage(image, &imported, &error))
        std::abort();
    QByteArray recomposed;
    const std::optional<QByteArray> file =
        imported.hasParameterFile ? std::optional<QByteArray>(parameterFileBytes(imported.values)) : std::nullopt;
    if (!composeImage(file, QStringLiteral("fuzz"), &recomposed, &error) || recomposed != image)
        std::abort();
    return 0;
}
