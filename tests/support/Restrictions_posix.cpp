#include "support/Restrictions.h"

#include <QDirIterator>
#include <QFile>

#include <csignal>
#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>

QString fileSizeLimitMissing()
{
    return QString();
}

void withFileSizeLimit(qint64 limit, const std::function<void()> &action)
{
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = rlim_t(limit);
    setrlimit(RLIMIT_FSIZE, &tight);
    action();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
}

namespace {
void chownAll(const QString &root, uid_t uid)
{
    (void)::chown(QFile::encodeName(root).constData(), uid, gid_t(-1));
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        (void)::chown(QFile::encodeName(it.next()).constData(), uid, gid_t(-1));
}
} // namespace

QString ordinaryUser(const QString &workspace, QString *missing)
{
    if (geteuid() != 0)
        return QString();
    const passwd *nobody = getpwnam("nobody");
    if (!nobody) {
        *missing = QStringLiteral("no user nobody here");
        return QString();
    }
    chownAll(workspace, nobody->pw_uid);
    return QStringLiteral("nobody");
}

FolderTakingNoNewFile::FolderTakingNoNewFile(const QString &workspace, const QString &folder) : m_folder(folder)
{
    if (geteuid() == 0) {
        const passwd *nobody = getpwnam("nobody");
        m_dropped = nobody && (chownAll(workspace, nobody->pw_uid), seteuid(nobody->pw_uid) == 0);
        if (!m_dropped) {
            m_missing = QStringLiteral("cannot take the place of an ordinary user here");
            return;
        }
    }
    if (!QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther))
        m_missing = QStringLiteral("cannot take the write permission from the folder");
}

FolderTakingNoNewFile::~FolderTakingNoNewFile()
{
    QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (m_dropped)
        (void)seteuid(0);
}
