#include "support/Unreadable.h"

#include <QFile>

UnreadableFile::UnreadableFile(const QString &path)
{
    // Reading /proc/self/mem at its start fails for everyone.
    if (!QFile::link(QStringLiteral("/proc/self/mem"), path))
        m_missing = QStringLiteral("cannot make a link to /proc/self/mem here");
}

UnreadableFile::~UnreadableFile() = default;
