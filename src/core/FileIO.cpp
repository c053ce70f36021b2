#include "core/FileIO.h"

#include "core/FileSystem.h"
#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>
#include <QTemporaryFile>

namespace {
QString describe(const QString &path, const QString &what)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + what;
}

bool fail(QString *error, const QString &path, const QString &what)
{
    if (error)
        *error = describe(path, what);
    return false;
}

// Puts `data` at the start of an open file with one write and then cuts the file to its size.
// A shorter content goes out padded to the earlier size, so that an interruption before the cut
// leaves the content and blanks, never the content and the earlier file's tail.
bool overwrite(QFile &file, const QByteArray &data, Padding padding)
{
    QByteArray whole = data;
    const qint64 earlierSize = file.size();
    if (padding == Padding::Blanks && whole.size() < earlierSize)
        whole.append(QByteArray(earlierSize - whole.size(), ' '));
    return file.seek(0) && file.write(whole) == whole.size() && file.flush()
           && (file.size() == data.size() || file.resize(data.size())) && file.size() == data.size();
}

// A folder that takes no temporary file can still hold a file the user may write: replace its
// content in place. Should that fail half-way, the earlier content is put back.
bool writeInPlace(const QString &path, const QByteArray &data, Padding padding, QString *error)
{
    QFile file;
    // Unbuffered: a write cut short must not linger in a buffer that the restore would flush.
    if (!openRegularFile(file, path, QIODevice::ReadWrite | QIODevice::Unbuffered, false, error))
        return false;
    const QByteArray earlier = file.readAll();
    if (file.error() != QFileDevice::NoError || !overwrite(file, data, padding)) {
        const QString why = file.errorString();
        file.unsetError();
        overwrite(file, earlier, padding);
        return fail(error, path, why);
    }
    return true;
}

// `kind` is what stands at `path` now.
bool saveFile(const QString &path, EntryKind kind, const QByteArray &data, const FileOwnership &ownership,
              Padding padding, QString *error)
{
    // A save replaces the name, so a link would be replaced rather than followed; refusing
    // shows the engineer what stands there, and what it points at is never touched.
    if (const QString refusal = refusalOf(kind, QStringLiteral("not written")); !refusal.isEmpty())
        return fail(error, path, refusal);
    // Windows replaces no file that another run holds open for reading; it closes it in a moment,
    // so a save that failed only at the replacement is made again, for up to a second.
    constexpr int kReplaceAttempts = 50;
    for (int attempt = 1;; ++attempt) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            const QFileInfo existing(path);
            if (existing.isFile() && existing.isWritable() && !isWritableFolder(existing.absolutePath()))
                return writeInPlace(path, data, padding, error);
            return fail(error, path, file.errorString());
        }
        // Before anything is in it: a file of someone else's must not be readable by more people,
        // not even for a moment.
        applyOwnership(file, ownership);
        // Flush and check the size before commit: commit alone reports success for a write that a
        // full disk or a size limit cut short, and would put the truncated file in place.
        if (file.write(data) != data.size() || !file.flush() || file.size() != data.size()) {
            const QString why = file.errorString();
            file.cancelWriting();
            return fail(error, path, why);
        }
        if (file.commit())
            return true;
        if (file.error() != QFileDevice::RenameError || attempt == kReplaceAttempts)
            return fail(error, path, file.errorString());
        QThread::msleep(20);
    }
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

bool isInsideFolder(const QString &path, const QString &root)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    QString base = QFileInfo(root).canonicalFilePath();
    if (resolved.isEmpty() || base.isEmpty())
        return false;
    if (!base.endsWith(u'/'))
        base += u'/';
    return resolved.startsWith(base);
}

bool writeFileAtomic(const QString &path, const QByteArray &data, QString *error, Padding padding)
{
    FileOwnership ownership;
    const EntryKind kind = entryKind(path, &ownership);
    return saveFile(path, kind, data, ownership, padding, error);
}

bool readWholeFile(const QString &path, QByteArray *data, QString *error, qint64 maxSize)
{
    QFile file;
    if (!openRegularFile(file, path, QIODevice::ReadOnly, true, error))
        return false;
    // Read one byte past the limit, so that files whose size the system does not report are caught too.
    *data = file.read(maxSize + 1);
    if (data->size() > maxSize) {
        data->clear();
        return fail(error, path, QStringLiteral("The file is too large (more than %1 bytes)").arg(maxSize));
    }
    if (file.error() != QFileDevice::NoError)
        return fail(error, path, file.errorString());
    return true;
}

bool keepCopy(const QString &path, const QString &copyPath, QString *error)
{
    // What did not read may be far larger than any file of ours; up to a point it is kept all the same.
    constexpr qint64 kMaxCopySize = 256 * 1024 * 1024;
    QByteArray data;
    if (!readWholeFile(path, &data, error, kMaxCopySize))
        return false;
    const FileOwnership ownership = fileOwnership(path);
    // Never more readable than the file itself, whatever the copy it replaces allowed.
    return saveFile(copyPath, entryKind(copyPath), data, ownership, Padding::None, error);
}
