#include "core/FileIO.h"

#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace {
QString describe(const QString &path, const QString &what)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + what;
}

// Writes the whole of `data` from the start of an open file and cuts it to that size.
bool overwrite(QFile &file, const QByteArray &data)
{
    return file.seek(0) && file.write(data) == data.size() && file.flush() && file.resize(data.size())
           && file.size() == data.size();
}

// A folder that takes no temporary file can still hold a file the user may write: replace its
// content in place. Should that fail half-way, the earlier content is put back.
bool writeInPlace(const QString &path, const QByteArray &data, QString *error)
{
    QFile file(path);
    QByteArray earlier;
    // Unbuffered: a write cut short must not linger in a buffer that the restore would flush.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        if (error)
            *error = describe(path, file.errorString());
        return false;
    }
    earlier = file.readAll();
    if (file.error() != QFileDevice::NoError || !overwrite(file, data)) {
        if (error)
            *error = describe(path, file.errorString());
        file.unsetError();
        overwrite(file, earlier);
        return false;
    }
    return true;
}
} // namespace

bool isWritableFolder(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    // Permission bits say nothing about read-only mounts, ACLs or root; a real file does.
    QTemporaryFile probe(joinPath(folder, QStringLiteral(".kv40812-probe-XXXXXX")));
    return probe.open();
}

bool writeFileAtomic(const QString &path, const QByteArray &data, QString *error)
{
    // QSaveFile looks at what lies at the path already; only a refusal needs a second look.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QFileInfo existing(path);
        if (existing.isFile() && existing.isWritable() && !isWritableFolder(existing.absolutePath()))
            return writeInPlace(path, data, error);
        if (error)
            *error = describe(path, existing.isDir() ? QStringLiteral("Is a directory") : file.errorString());
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
