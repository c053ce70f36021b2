#include "projects/Configurations.h"

#include <QRegularExpression>

bool systemKeepsFolderName(const QString &name)
{
    if (name.endsWith(u' ') || name.endsWith(u'.'))
        return false;
    if (name.contains(QRegularExpression(QStringLiteral("[<>:\"|?*]"))))
        return false;
    // A device's name stays the device's with any extension and blanks before it.
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9]) *(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return !device.match(name).hasMatch();
}
