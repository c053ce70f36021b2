#include "core/Workspace.h"

#include "core/FileIO.h"

#include <QDir>

// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

namespace {
QString knownFolder(const KNOWNFOLDERID &id)
{
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    CoTaskMemFree(path);
    return folder;
}

bool isInside(const QString &path, const QString &folder)
{
    return !folder.isEmpty()
           && (path.compare(folder, Qt::CaseInsensitive) == 0
               || path.startsWith(folder + u'/', Qt::CaseInsensitive));
}
} // namespace

bool isPortableCopy(const QString &executableDir)
{
    // The setup installs under Program Files; an administrator may write there, yet each user
    // keeps a workspace of their own.
    const QString dir = QDir::cleanPath(QDir::fromNativeSeparators(executableDir));
    for (const KNOWNFOLDERID *id : {&FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86}) {
        if (isInside(dir, QDir::cleanPath(knownFolder(*id))))
            return false;
    }
    return isWritableFolder(executableDir);
}
