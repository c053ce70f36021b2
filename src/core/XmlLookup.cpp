#include "core/XmlLookup.h"

#include <QDir>
#include <QXmlStreamReader>

namespace {
// Our files are three levels deep; a document nested far deeper is no file of ours, and the
// DOM slows to a crawl building it.
constexpr int kMaxDepth = 64;

bool tooDeep(const QByteArray &data, int *line, int *column)
{
    QXmlStreamReader reader(data);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > kMaxDepth) {
            *line = int(reader.lineNumber());
            *column = int(reader.columnNumber());
            return true;
        }
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return false;
}
}

QDomDocument newXmlDocument()
{
    return QDomDocument(QString());
}

QDomElement appendElement(QDomDocument &doc, QDomNode parent, const QString &name)
{
    QDomElement element = doc.createElement(name);
    parent.appendChild(element);
    return element;
}

QDomElement appendLeaf(QDomDocument &doc, QDomNode parent, const QString &name, const QString &value)
{
    QDomElement leaf = appendElement(doc, parent, name);
    if (!value.isEmpty())
        leaf.appendChild(doc.createTextNode(value));
    return leaf;
}

bool parseXml(const QByteArray &data, const QString &path, QDomDocument *doc, QString *error)
{
    QString message;
    int line = 0;
    int column = 0;
    if (tooDeep(data, &line, &column))
        message = QStringLiteral("elements nested more than %1 levels deep").arg(kMaxDepth);
    else if (doc->setContent(data, &message, &line, &column))
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
