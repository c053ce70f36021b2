#pragma once

#include <QString>
#include <QStringList>

struct AppState;

// The per-user data folder, the workspace of a copy whose own folder is not writable.
QString userDataFolder();

// Per system (Workspace_posix.cpp, Workspace_win.cpp): whether a copy of the program in this
// folder keeps its workspace beside itself, a portable copy. It must be able to write there; on
// Windows a copy under Program Files is an installed one even for a user who may write there.
bool isPortableCopy(const QString &executableDir);

// Where the workspace lies: --workspace DIR, else KV40812_WORKSPACE, else the executable's folder
// of a portable copy, else the per-user data folder (an installed copy).
QString resolveWorkspace(const QStringList &arguments, const QString &executableDir,
                         const QString &userDataDir = userDataFolder());

// Dir_Exe, in the system's own separators, and the three workspace folders derived from it.
void setWorkspace(AppState &state, const QString &dirExe);

// Creates MASTER, PROJECTS and LANGUAGE where missing; a failure shows later, where they are used.
void createWorkspaceFolders(const AppState &state);

// Where the language files and flags shipped with the program lie, seen from the executable:
// the installed share folder, which the build tree mirrors.
QString shippedLanguagesFolder(const QString &executableDir);

// Copies every shipped file that the language folder lacks; files already there are the
// user's and stay as they are. Creates the language folder. Returns false on the first
// failure, with the error naming the file.
bool copyShippedLanguages(const QString &shippedDir, const QString &languageDir, QString *error);
