#include "projects/Configurations.h"

#include "core/Names.h"

#include <QRegularExpression>

bool systemKeepsFolderName(const QString &name)
{
    static const QRegularExpression refused(QStringLiteral("[<>:\"|?*]"));
    return windowsNameProblem(name).isEmpty() && !name.contains(refused);
}
