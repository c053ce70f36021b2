#pragma once

#include <QByteArray>
#include <QString>

// Writes the whole file or nothing: the earlier file stays intact when anything fails.
bool writeFileAtomic(const QString &path, const QByteArray &data, QString *error);

// Reads a whole file; the error names the file.
bool readWholeFile(const QString &path, QByteArray *data, QString *error);
