#include "support/PlantedFiles.h"

QString plantedFilesMissing()
{
    return QStringLiteral("Windows has no FIFOs, and QFile::link makes a shortcut file there, not a link");
}

bool makeFifo(const QString &)
{
    return false;
}
