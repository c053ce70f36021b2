#include "core/Workspace.h"

#include "core/FileIO.h"

bool isPortableCopy(const QString &executableDir)
{
    return isWritableFolder(executableDir);
}
