#include "support/ByteNames.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

bool makeFolderWithByteName(const QString &parent, const QByteArray &name)
{
    return ::mkdir((QFile::encodeName(parent) + '/' + name).constData(), 0755) == 0;
}

void removeFolderWithByteName(const QString &parent, const QByteArray &name)
{
    ::rmdir((QFile::encodeName(parent) + '/' + name).constData());
}
