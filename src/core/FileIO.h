#pragma once

#include <QByteArray>
#include <QString>

// True when a file can be created in the folder (tried, not guessed from permission bits).
bool isWritableFolder(const QString &folder);

// True when `path` exists and, links followed, lies inside `root` (not `root` itself).
bool isInsideFolder(const QString &path, const QString &root);

// What an in-place save may put after the content, so that the file never gets shorter before
// the new content is whole: blanks, for text whose readers ignore trailing blanks (XML).
enum class Padding { None, Blanks };

// Writes the whole file or nothing: the earlier file stays intact when anything fails, keeps its
// owner, group and mode, and is never written through a link nor replaced when it is a link,
// a FIFO, a device or a socket (refused, the error naming it).
bool writeFileAtomic(const QString &path, const QByteArray &data, QString *error, Padding padding = Padding::None);

// Every file the program reads is small; anything larger is refused before it is read.
inline constexpr qint64 kMaxInputFileSize = 8 * 1024 * 1024;

// Reads a whole regular file of at most `maxSize` bytes, links followed; a FIFO, a device or a
// socket is refused at once. The error names the file.
bool readWholeFile(const QString &path, QByteArray *data, QString *error, qint64 maxSize = kMaxInputFileSize);

// Copies a regular file's bytes to `copyPath` (replacing it), readable by no more people than the
// file itself.
bool keepCopy(const QString &path, const QString &copyPath, QString *error);
