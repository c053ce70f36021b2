#include "core/FileSystem.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString describe(const QString &path, const QString &what)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + what;
}

EntryKind kindOf(const struct stat &st)
{
    if (S_ISREG(st.st_mode))
        return EntryKind::File;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    if (S_ISLNK(st.st_mode))
        return EntryKind::Link;
    return EntryKind::Special;
}

QString refusal(EntryKind kind)
{
    return refusalOf(kind, QStringLiteral("not opened"));
}

int openFlags(QIODevice::OpenMode mode)
{
    if (mode.testFlag(QIODevice::ReadOnly) && mode.testFlag(QIODevice::WriteOnly))
        return O_RDWR;
    return mode.testFlag(QIODevice::WriteOnly) ? O_WRONLY : O_RDONLY;
}
} // namespace

EntryKind entryKind(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return EntryKind::Missing;
    return kindOf(st);
}

bool openRegularFile(QFile &file, const QString &path, QIODevice::OpenMode mode, bool followLink, QString *error)
{
    const QByteArray name = QFile::encodeName(path);
    auto fail = [&](const QString &what) {
        if (error)
            *error = describe(path, what);
        return false;
    };
    // Looked at before opening: opening a device can do something by itself.
    struct stat st {};
    if ((followLink ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st)) != 0)
        return fail(qt_error_string(errno));
    if (kindOf(st) != EntryKind::File)
        return fail(refusal(kindOf(st)));
    // Non-blocking and without following, so that whatever took the file's place since is seen
    // for what it is and never waited for.
    const int fd = ::open(name.constData(), openFlags(mode) | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0)
        return fail(!followLink && errno == ELOOP ? refusal(EntryKind::Link) : qt_error_string(errno));
    if (::fstat(fd, &st) != 0 || kindOf(st) != EntryKind::File) {
        ::close(fd);
        return fail(refusal(EntryKind::Special));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
    return true;
}

FileOwnership fileOwnership(const QString &path)
{
    FileOwnership ownership;
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return ownership;
    ownership.known = true;
    ownership.user = st.st_uid;
    ownership.group = st.st_gid;
    ownership.mode = st.st_mode & 07777;
    return ownership;
}

void applyOwnership(QFileDevice &file, const FileOwnership &ownership)
{
    const int fd = file.handle();
    struct stat st {};
    if (!ownership.known || fd < 0 || ::fstat(fd, &st) != 0)
        return;
    // Root gives the file back to its owner; anyone else keeps at least a group they belong to.
    // Neither may fail the save: the content matters more than who owns it.
    if ((st.st_uid != ownership.user || st.st_gid != ownership.group)
        && ::fchown(fd, ownership.user, ownership.group) != 0 && st.st_gid != ownership.group)
        (void)::fchown(fd, uid_t(-1), ownership.group);
    // After chown, which clears the set-id bits.
    (void)::fchmod(fd, ownership.mode);
}
