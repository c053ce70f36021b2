#pragma once

#include <QByteArray>
#include <QString>

// Per system (ByteNames_posix.cpp, ByteNames_win.cpp): a folder whose name is bytes that are not
// UTF-8, as other programs make them on Linux. Windows names are UTF-16 text, so there is no
// such folder there: nothing is made, and that is no failure.
bool makeFolderWithByteName(const QString &parent, const QByteArray &name);
void removeFolderWithByteName(const QString &parent, const QByteArray &name);
