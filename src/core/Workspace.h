#pragma once

#include <QString>
#include <QStringList>

// True when a file can be created in the folder (tried, not guessed from permission bits).
bool isWritableFolder(const QString &folder);

// The per-user data folder, the workspace of a copy whose own folder is not writable.
QString userDataFolder();

// Where the language files and flags shipped with the program lie, seen from the executable:
// the installed share folder, which the build tree mirrors.
QString shippedLanguagesFolder(const QString &executableDir);

// Copies every shipped file that the language folder lacks; files already there are the
// user's and stay as they are. Creates the language folder. Returns false on the first
// failure, with the error naming the file.
bool copyShippedLanguages(const QString &shippedDir, const QString &languageDir, QString *error);
