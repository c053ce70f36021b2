#pragma once

#include <QByteArray>
#include <QString>

// True when a file can be created in the folder (tried, not guessed from permission bits).
bool isWritableFolder(const QString &folder);

// Writes the whole file or nothing: the earlier file stays intact when anything fails.
bool writeFileAtomic(const QString &path, const QByteArray &data, QString *error);

// Every file the program reads is small; anything larger is refused before it is read.
inline constexpr qint64 kMaxInputFileSize = 8 * 1024 * 1024;

// Reads a whole file of at most `maxSize` bytes; the error names the file.
bool readWholeFile(const QString &path, QByteArray *data, QString *error, qint64 maxSize = kMaxInputFileSize);
