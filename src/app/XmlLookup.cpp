#include "app/XmlLookup.h"

#include <QDir>

QDomDocument newXmlDocument()
{
    return QDomDocument(QString());
}

bool parseXml(const QByteArray &data, const QString &path, QDomDocument *doc, QString *error)
{
    QString message;
    int line = 0;
    int column = 0;
    if (doc->setContent(data, &message, &line, &column))
        return true;
    if (error) {
        *error = QStringLiteral("%1: %2 (line %3, column %4)")
                     .arg(QDir::toNativeSeparators(path), message)
                     .arg(line)
                     .arg(column);
    }
    return false;
}

std::optional<QString> leafText(const QDomNode &parent, const QString &name)
{
    if (parent.isNull())
        return std::nullopt;
    const QDomElement element = parent.firstChildElement(name);
    if (element.isNull())
        return std::nullopt;
    const QDomNodeList children = element.childNodes();
    if (children.isEmpty())
        return QString();
    if (children.size() == 1) {
        const QDomNode only = children.at(0);
        if (only.isText()) // CDATA sections are text nodes too
            return only.nodeValue();
    }
    return std::nullopt;
}
