#include "core/FileSystem.h"

QString refusalOf(EntryKind kind, const QString &notDone)
{
    switch (kind) {
    case EntryKind::Folder:
        return QStringLiteral("Is a directory");
    case EntryKind::Link:
        return QStringLiteral("is a symbolic link; ") + notDone;
    case EntryKind::Special:
        return QStringLiteral("is not a regular file (a FIFO, a device or a socket); ") + notDone;
    case EntryKind::Missing:
    case EntryKind::File:
        break;
    }
    return QString();
}
