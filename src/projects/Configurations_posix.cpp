#include "projects/Configurations.h"

bool systemKeepsFolderName(const QString &)
{
    return true;
}
