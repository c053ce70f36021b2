#include "core/Names.h"

#include "core/XmlLookup.h"

#include <QStringList>

#include <algorithm>

namespace {

// Windows drops them when it makes the folder: "Plant." and "Plant " become "Plant".
QString withoutTrailingBlanksAndDots(const QString &name)
{
    qsizetype end = name.size();
    while (end > 0 && (name.at(end - 1) == u' ' || name.at(end - 1) == u'.'))
        --end;
    return name.left(end);
}

QString asciiUpper(QString text)
{
    for (QChar &c : text) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return text;
}

// The device names Windows reserves in every folder, with or without an extension.
bool isReservedDeviceName(const QString &name)
{
    const QString base = asciiUpper(withoutTrailingBlanksAndDots(name.left(name.indexOf(u'.'))));
    static const QStringList kDevices = [] {
        QStringList devices{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                            QStringLiteral("NUL"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
        for (const QString &port : {QStringLiteral("COM"), QStringLiteral("LPT")}) {
            for (const QChar digit : QStringLiteral("0123456789\u00B9\u00B2\u00B3"))
                devices << port + digit;
        }
        return devices;
    }();
    return kDevices.contains(base);
}

} // namespace

bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(u'.'))
        return false;
    return isXmlText(name) && std::none_of(name.begin(), name.end(), [](QChar c) {
        return c == u'/' || c == u'\\' || c.category() == QChar::Other_Control;
    });
}

QString folderKey(const QString &name)
{
    return withoutTrailingBlanksAndDots(name)
        .normalized(QString::NormalizationForm_C)
        .toCaseFolded()
        .normalized(QString::NormalizationForm_C);
}

QString sameFolderMessage(const QString &name, const QString &other)
{
    const QString a = withoutTrailingBlanksAndDots(name);
    const QString b = withoutTrailingBlanksAndDots(other);
    QStringList ways;
    if (a.normalized(QString::NormalizationForm_C) != b.normalized(QString::NormalizationForm_C))
        ways << QStringLiteral("letter case");
    if (a.toCaseFolded() != b.toCaseFolded())
        ways << QStringLiteral("Unicode normalisation (NFC or NFD)");
    if (name.mid(a.size()) != other.mid(b.size()))
        ways << QStringLiteral("trailing blanks or dots");
    return QStringLiteral("\"%1\" differs from the configuration \"%2\" only in %3")
        .arg(name, other, ways.join(QStringLiteral(" and ")));
}

QString windowsNameProblem(const QString &name)
{
    QString reason;
    if (name.endsWith(u'.') || name.endsWith(u' '))
        reason = QStringLiteral("it ends in a dot or a blank");
    else if (isReservedDeviceName(name))
        reason = QStringLiteral("a device name Windows reserves");
    if (reason.isEmpty())
        return QString();
    return QStringLiteral("Windows cannot hold the name \"%1\" (%2)").arg(name, reason);
}
