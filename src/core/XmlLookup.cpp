#include "core/XmlLookup.h"

#include "core/FileIO.h"
#include "core/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QXmlStreamReader>

namespace {
// Our files are three levels deep; a document nested far deeper is no file of ours, and the
// DOM slows to a crawl building it.
constexpr int kMaxDepth = 64;

// What the DOM parser does not keep: it drops element text that holds only blanks.
struct Prescan {
    bool tooDeep = false;
    int line = 0;
    int column = 0;
    QHash<qsizetype, QString> textOnly; // element number in document order -> its whole text
};

Prescan prescan(const QByteArray &data)
{
    struct Open {
        qsizetype number;
        QString text;
        bool onlyText = true;
    };
    Prescan result;
    QXmlStreamReader reader(data);
    QList<Open> open;
    qsizetype elements = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (!open.isEmpty())
                open.last().onlyText = false;
            if (open.size() >= kMaxDepth) {
                result.tooDeep = true;
                result.line = int(reader.lineNumber());
                result.column = int(reader.columnNumber());
                return result;
            }
            open.append(Open{elements++, QString()});
            break;
        case QXmlStreamReader::Characters:
            if (!open.isEmpty())
                open.last().text += reader.text();
            break;
        case QXmlStreamReader::EndElement:
            if (!open.isEmpty()) {
                const Open element = open.takeLast();
                if (element.onlyText && !element.text.isEmpty())
                    result.textOnly.insert(element.number, element.text);
            }
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
        case QXmlStreamReader::EntityReference:
            if (!open.isEmpty())
                open.last().onlyText = false;
            break;
        default:
            break;
        }
    }
    return result;
}

// Visits the elements of the document in document order.
template<typename Visit>
void forEachElement(const QDomDocument &doc, Visit visit)
{
    QDomElement element = doc.documentElement();
    while (!element.isNull()) {
        visit(element);
        QDomElement next = element.firstChildElement();
        while (next.isNull() && !element.isNull()) {
            next = element.nextSiblingElement();
            if (next.isNull()) {
                const QDomNode parent = element.parentNode();
                element = parent.isElement() ? parent.toElement() : QDomElement();
            }
        }
        element = next;
    }
}

// Gives back the blank-only texts the DOM parser dropped.
void restoreBlankTexts(QDomDocument &doc, const QHash<qsizetype, QString> &textOnly)
{
    if (textOnly.isEmpty())
        return;
    qsizetype number = 0;
    forEachElement(doc, [&](QDomElement &element) {
        const auto text = textOnly.constFind(number++);
        if (text != textOnly.constEnd() && element.firstChild().isNull())
            element.appendChild(doc.createTextNode(*text));
    });
}

// The first name or text in the tree that XML cannot hold: where it is, and the character.
bool findNonXmlText(const QDomNode &node, QString *where, QString *character)
{
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        const QString text = child.isElement() ? child.nodeName() : child.nodeValue();
        const qsizetype at = firstNonXmlCharacter(text);
        if (at >= 0) {
            *where = child.isElement() ? child.nodeName() : node.nodeName();
            *character = characterCode(text, at);
            return true;
        }
        if (findNonXmlText(child, where, character))
            return true;
    }
    return false;
}
} // namespace

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
    const Prescan scan = prescan(data);
    if (scan.tooDeep) {
        message = QStringLiteral("elements nested more than %1 levels deep").arg(kMaxDepth);
        line = scan.line;
        column = scan.column;
    } else if (doc->setContent(data, &message, &line, &column)) {
        restoreBlankTexts(*doc, scan.textOnly);
        return true;
    }
    if (error) {
        *error = QStringLiteral("%1: %2 (line %3, column %4)")
                     .arg(QDir::toNativeSeparators(path), message, QString::number(line), QString::number(column));
    }
    return false;
}

QDomNode firstNode(const QDomDocument &doc)
{
    // The DOM keeps a document type apart from the other nodes, but it stands before the root.
    const QDomDocumentType type = doc.doctype();
    if (!type.isNull() && !type.name().isEmpty())
        return type;
    return doc.firstChild();
}

qsizetype firstNonXmlCharacter(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20) {
            if (c != u'\t' && c != u'\n' && c != u'\r')
                return i;
        } else if (c == 0xFFFE || c == 0xFFFF) {
            return i;
        } else if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode()))
                return i;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return i;
        }
    }
    return -1;
}

QString withoutNonXmlCharacters(QStringView text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = QChar::isHighSurrogate(text[i].unicode()) && i + 1 < text.size()
                          && QChar::isLowSurrogate(text[i + 1].unicode());
        const qsizetype length = pair ? 2 : 1;
        if (isXmlText(text.mid(i, length)))
            kept += text.mid(i, length);
        i += length - 1;
    }
    return kept;
}

QString characterCode(QStringView text, qsizetype at)
{
    return QStringLiteral("U+%1").arg(text[at].unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

bool writeXmlFile(const QString &path, const QDomDocument &doc, QString *error)
{
    QString where;
    QString character;
    if (findNonXmlText(doc, &where, &character)) {
        if (error) {
            *error = QStringLiteral("%1: not written: %2 holds the character %3, which an XML file cannot hold")
                         .arg(QDir::toNativeSeparators(path), where, character);
        }
        return false;
    }
    // Readers pass over blanks after the last node: an in-place save may pad with them.
    return writeFileAtomic(path, doc.toByteArray(-1), error, Padding::Blanks);
}

QString unreadableCopyPath(const QString &path)
{
    return path + QStringLiteral(".unreadable");
}

QString unreadableCopyNote(const QString &path)
{
    return QStringLiteral("Saving replaces %1; what it holds now is kept as %2.")
        .arg(QFileInfo(path).fileName(), QFileInfo(unreadableCopyPath(path)).fileName());
}

bool keepIfUnreadable(const QString &path, QString *keptAs, QString *error)
{
    if (entryKind(path) != EntryKind::File)
        return true;
    QByteArray data;
    QDomDocument earlier;
    QString ignored;
    if (readWholeFile(path, &data, &ignored) && parseXml(data, path, &earlier, &ignored))
        return true;
    QString why;
    if (!keepCopy(path, unreadableCopyPath(path), &why)) {
        if (error) {
            *error = QStringLiteral("%1: does not read as XML, and no copy of it could be kept, so it is not "
                                    "replaced (%2)")
                         .arg(QDir::toNativeSeparators(path), why);
        }
        return false;
    }
    if (keptAs)
        *keptAs = unreadableCopyPath(path);
    return true;
}

bool replaceXmlFile(const QString &path, const QDomDocument &doc, QString *error, QString *keptAs)
{
    return keepIfUnreadable(path, keptAs, error) && writeXmlFile(path, doc, error);
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
