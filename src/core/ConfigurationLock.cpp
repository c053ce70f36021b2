#include "core/ConfigurationLock.h"

#include "core/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

QString ConfigurationLock::pathIn(const QString &projectDir)
{
    return joinPath(projectDir, QStringLiteral(".kv40812.lock"));
}

ConfigurationLock::ConfigurationLock(const QString &projectDir)
    : m_folder(projectDir), m_path(pathIn(projectDir)), m_lock(m_path)
{
    // Only a run known to have ended gives its lock up: a live writer on another machine of a
    // shared folder keeps it however long it takes.
    m_lock.setStaleLockTime(0);
}

bool ConfigurationLock::acquire(QString *error, int waitMs)
{
    const auto fail = [&](const QString &message) {
        if (error)
            *error = QDir::toNativeSeparators(m_folder) + QStringLiteral(": ") + message;
        return false;
    };
    // Reading a planted FIFO for the holder's name would block; a link is no lock of ours.
    const QFileInfo planted(m_path);
    if (planted.isSymLink() || (planted.exists() && !planted.isFile()))
        return fail(QStringLiteral("%1 is no lock file (a link or a special file); remove it")
                        .arg(QDir::toNativeSeparators(m_path)));
    // A folder that is not there holds nothing to protect; the write that follows says so.
    if (!QFileInfo(m_folder).isDir())
        return true;
    if (m_lock.tryLock(waitMs))
        return true;
    switch (m_lock.error()) {
    case QLockFile::PermissionError:
        // A folder that takes no new file takes no other run's lock either; its files can only
        // be replaced in place, and that write reports its own failure.
        return true;
    case QLockFile::LockFailedError: {
        qint64 pid = 0;
        QString host;
        QString program;
        if (!m_lock.getLockInfo(&pid, &host, &program))
            return fail(QStringLiteral("in use by another run (its lock %1 does not say which)")
                            .arg(QDir::toNativeSeparators(m_path)));
        QString message = QStringLiteral("in use by another run: %1, process %2 on %3; try again when it has ended")
                              .arg(program, QString::number(pid), host);
        // Only a run of this machine is known to have ended; another machine's lock stays.
        // Host names ignore letter case; Windows writes its computer's name in capitals.
        if (host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0)
            message += QStringLiteral(" (should it have ended, remove %1)").arg(QDir::toNativeSeparators(m_path));
        return fail(message);
    }
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return fail(QStringLiteral("the lock %1 cannot be created").arg(QDir::toNativeSeparators(m_path)));
}
