// The image composer on any parameter-file bytes: 2048 bytes whose checksum holds, or the parser's message;
// and every image composed imports into a parameter file that composes it again. The same bytes, cut at
// NUL into the values of a parameter set, compose from the values as from the file they are saved in.
#include "params/ConfigImage.h"
#include "params/ImageImport.h"

#include <cstdint>
#include <cstdlib>

namespace {

void composeFile(const QByteArray &bytes)
{
    QByteArray image;
    QString error;
    if (!composeImage(bytes, QStringLiteral("fuzz"), &image, &error)) {
        if (error.isEmpty() || !image.isEmpty())
            std::abort();
        return;
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
}

void composeValues(const QByteArray &bytes)
{
    ParameterValues values = defaultParameterValues();
    const QList<QByteArray> texts = bytes.split('\0');
    for (qsizetype i = 0; i < texts.size() && i < Param::Count; ++i)
        values[i] = QString::fromUtf8(texts.at(i));
    QByteArray fromValues;
    QByteArray fromFile;
    QString error;
    const bool valuesComposed = composeImage(values, QStringLiteral("fuzz"), &fromValues, &error);
    const bool fileComposed = composeImage(parameterFileBytes(values), QStringLiteral("fuzz"), &fromFile, &error);
    if (valuesComposed != fileComposed || fromValues != fromFile)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    composeFile(bytes);
    composeValues(bytes);
    return 0;
}
