#pragma once

// The few file-system calls Qt makes only by following a link or by opening a FIFO, which would
// block. One implementation per system, FileSystem_posix.cpp and FileSystem_win.cpp; the
// messages, shared, in FileSystem.cpp.

#include <QIODevice>
#include <QString>

class QFile;
class QFileDevice;

// What a path's last component is, without following it when it is a link.
enum class EntryKind {
    Missing,
    File,    // a regular file
    Folder,
    Link,    // a symbolic link, dangling or not
    Special, // a FIFO, a device or a socket
};
EntryKind entryKind(const QString &path);

// Why what stands at a path is not used as a file: "is a symbolic link; " followed by `notDone`,
// and the like. Empty for a regular file or nothing.
QString refusalOf(EntryKind kind, const QString &notDone);

// Opens an existing regular file, following a link only when `followLink` is set. Anything but a
// regular file is refused without waiting for it (a FIFO would block until a writer comes).
// The error names the file.
bool openRegularFile(QFile &file, const QString &path, QIODevice::OpenMode mode, bool followLink, QString *error);

// The owner, group and permission bits of a regular file, to hand on to the file replacing it.
struct FileOwnership {
    bool known = false;
    unsigned user = 0;
    unsigned group = 0;
    unsigned mode = 0;
};
FileOwnership fileOwnership(const QString &path);

// Gives an open file that owner and group, as far as this process may (root may give any), and
// that mode; what the system refuses is left as it is.
void applyOwnership(QFileDevice &file, const FileOwnership &ownership);
