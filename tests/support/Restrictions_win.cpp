#include "support/Restrictions.h"

QString fileSizeLimitMissing()
{
    return QStringLiteral("Windows cannot limit the size of a process's files");
}

void withFileSizeLimit(qint64, const std::function<void()> &action)
{
    action();
}

QString ordinaryUser(const QString &, QString *)
{
    return QString();
}

FolderTakingNoNewFile::FolderTakingNoNewFile(const QString &, const QString &folder)
    : m_folder(folder), m_missing(QStringLiteral("Windows keeps folder rights in ACLs, and Wine does not enforce them"))
{
}

FolderTakingNoNewFile::~FolderTakingNoNewFile() = default;
