#include "core/Paths.h"

#include "core/Constants.h"

#include <QDir>

QString joinPath(const QString &folder, const QString &name)
{
    return folder + QDir::separator() + name;
}

QString parameterFilePathIn(const QString &projectDir)
{
    return joinPath(projectDir, kParGenFile);
}

QString imageFilePathIn(const QString &projectDir)
{
    return joinPath(joinPath(projectDir, kBinFolder), kImageFile);
}
