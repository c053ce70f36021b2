#include "core/FileIO.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
QString describe(const QString &path, const QString &what)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + what;
}
}

bool writeFileAtomic(const QString &path, const QByteArray &data, QString *error)
{
    if (QFileInfo(path).isDir()) {
        if (error)
            *error = describe(path, QStringLiteral("Is a directory"));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = describe(path, file.errorString());
        return false;
    }
    // Flush and check the size before commit: commit alone reports success for a write that a
    // full disk or a size limit cut short, and would put the truncated file in place.
    if (file.write(data) != data.size() || !file.flush() || file.size() != data.size()) {
        if (error)
            *error = describe(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = describe(path, file.errorString());
        return false;
    }
    return true;
}

bool readWholeFile(const QString &path, QByteArray *data, QString *error, qint64 maxSize)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = describe(path, QFileInfo(path).isDir() ? QStringLiteral("Is a directory") : file.errorString());
        return false;
    }
    // Read one byte past the limit, so that files whose size the system does not report are caught too.
    *data = file.read(maxSize + 1);
    if (data->size() > maxSize) {
        data->clear();
        if (error)
            *error = describe(path, QStringLiteral("The file is too large (more than %1 bytes)").arg(maxSize));
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = describe(path, file.errorString());
        return false;
    }
    return true;
}
