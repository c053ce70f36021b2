#include "core/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Windows has no FIFOs or devices among a folder's files; Qt's answers serve. Ownership and
// access lists come from the folder, so nothing is handed on.

EntryKind entryKind(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction())
        return EntryKind::Link;
    if (!info.exists())
        return EntryKind::Missing;
    if (info.isDir())
        return EntryKind::Folder;
    return info.isFile() ? EntryKind::File : EntryKind::Special;
}

bool openRegularFile(QFile &file, const QString &path, QIODevice::OpenMode mode, bool followLink, QString *error)
{
    const EntryKind kind = entryKind(path);
    const bool regular = kind == EntryKind::File || (followLink && kind == EntryKind::Link && QFileInfo(path).isFile());
    file.setFileName(path);
    if (regular && file.open(mode))
        return true;
    if (error) {
        *error = QDir::toNativeSeparators(path) + QStringLiteral(": ")
                 + (regular                      ? file.errorString()
                    : kind == EntryKind::Missing ? QStringLiteral("No such file or directory")
                                                 : refusalOf(kind, QStringLiteral("not opened")));
    }
    return false;
}

FileOwnership fileOwnership(const QString &)
{
    return FileOwnership();
}

void applyOwnership(QFileDevice &, const FileOwnership &)
{
}
