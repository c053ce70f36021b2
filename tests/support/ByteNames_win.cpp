#include "support/ByteNames.h"

bool makeFolderWithByteName(const QString &, const QByteArray &)
{
    return true;
}

void removeFolderWithByteName(const QString &, const QByteArray &) {}
