#include "core/XmlLookup.h"

#include "core/FileIO.h"
#include "core/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QXmlStreamReader>

namespace {
// Our files are three levels deep; a document nested far deeper is no file of ours, and the
// DOM slows to a crawl building it.
constexpr int kMaxDepth = 64;

// Builds the document from the reader's tokens as Qt's DOM parser does (its node for every
// token, its errors), in the same pass keeping the element text it would drop: a text of
// blanks only stays when it is all the element holds.
class DomBuilder {
public:
    explicit DomBuilder(const QByteArray &data) : m_reader(data), m_doc(newXmlDocument())
    {
        m_reader.setNamespaceProcessing(false);
    }

    bool parse() { return prolog() && body(); }

    QDomDocument document() const { return m_doc; }
    const QString &message() const { return m_message; }
    int line() const { return m_line; }
    int column() const { return m_column; }

private:
    struct Open {
        QDomElement element;
        bool hasChild = false;
        QString blanks;          // the texts left out so far
        QStringList blankCData;  // of those, the CDATA sections, which Qt's DOM parser keeps beside other children
    };

    bool fail(const QString &message)
    {
        m_message = message;
        m_line = int(m_reader.lineNumber());
        m_column = int(m_reader.columnNumber());
        return false;
    }

    QDomNode current() const { return m_open.isEmpty() ? QDomNode(m_doc) : QDomNode(m_open.last().element); }

    void append(const QDomNode &node)
    {
        if (!m_open.isEmpty() && !m_open.last().hasChild) {
            Open &open = m_open.last();
            open.hasChild = true;
            for (const QString &section : std::as_const(open.blankCData))
                open.element.appendChild(m_doc.createCDATASection(section));
            open.blankCData.clear();
        }
        current().appendChild(node);
    }

    // Comments and instructions stand wherever they come, in the prolog as in the body.
    bool appendCommentOrInstruction()
    {
        if (m_reader.isComment()) {
            append(m_doc.createComment(m_reader.text().toString()));
        } else if (m_reader.isProcessingInstruction()) {
            append(m_doc.createProcessingInstruction(m_reader.processingInstructionTarget().toString(),
                                                     m_reader.processingInstructionData().toString()));
        } else {
            return false;
        }
        return true;
    }

    // The document type lives in the document itself: a new one takes the nodes before it.
    void setDocumentType()
    {
        QDomDocument typed(QDomImplementation().createDocumentType(
            m_reader.dtdName().toString(), m_reader.dtdPublicId().toString(), m_reader.dtdSystemId().toString()));
        for (QDomNode node = m_doc.firstChild(); !node.isNull(); node = node.nextSibling())
            typed.appendChild(typed.importNode(node, true));
        m_doc = typed;
    }

    // Declaration, document type, comments and instructions, up to the first other token.
    bool prolog()
    {
        bool typeSeen = false;
        while (!m_reader.atEnd()) {
            m_reader.readNext();
            if (m_reader.hasError())
                return fail(m_reader.errorString());
            switch (m_reader.tokenType()) {
            case QXmlStreamReader::StartDocument:
                if (!m_reader.documentVersion().isEmpty())
                    append(m_doc.createProcessingInstruction(QStringLiteral("xml"), declaration()));
                break;
            case QXmlStreamReader::DTD:
                if (typeSeen)
                    return fail(QStringLiteral("Multiple DTD sections are not allowed"));
                typeSeen = true;
                setDocumentType();
                break;
            default:
                if (!appendCommentOrInstruction())
                    return true;
                break;
            }
        }
        return true;
    }

    QString declaration() const
    {
        QString value = QStringLiteral("version='%1'").arg(m_reader.documentVersion());
        if (!m_reader.documentEncoding().isEmpty())
            value += QStringLiteral(" encoding='%1'").arg(m_reader.documentEncoding());
        if (m_reader.isStandaloneDocument())
            value += QStringLiteral(" standalone='yes'");
        return value;
    }

    bool body()
    {
        for (; !m_reader.atEnd() && !m_reader.hasError(); m_reader.readNext()) {
            switch (m_reader.tokenType()) {
            case QXmlStreamReader::StartElement:
                if (!startElement())
                    return false;
                break;
            case QXmlStreamReader::EndElement:
                if (!endElement())
                    return false;
                break;
            case QXmlStreamReader::Characters:
                if (!characters())
                    return false;
                break;
            case QXmlStreamReader::EntityReference:
                append(m_doc.createEntityReference(m_reader.name().toString()));
                break;
            default:
                if (!appendCommentOrInstruction())
                    return fail(QStringLiteral("Unexpected token"));
                break;
            }
        }
        if (m_reader.hasError())
            return fail(m_reader.errorString());
        if (!m_open.isEmpty())
            return fail(QStringLiteral("Tag mismatch"));
        return true;
    }

    bool startElement()
    {
        if (m_open.size() >= kMaxDepth)
            return fail(QStringLiteral("elements nested more than %1 levels deep").arg(kMaxDepth));
        QDomElement element = m_doc.createElement(m_reader.qualifiedName().toString());
        for (const QXmlStreamAttribute &attribute : m_reader.attributes())
            element.setAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
        append(element);
        m_open.append(Open{element, false, QString(), QStringList()});
        return true;
    }

    bool endElement()
    {
        if (m_open.isEmpty())
            return fail(QStringLiteral("Unexpected end element '%1'").arg(m_reader.name()));
        const Open closed = m_open.takeLast();
        if (!closed.hasChild && !closed.blanks.isEmpty()) {
            QDomElement element = closed.element;
            element.appendChild(m_doc.createTextNode(closed.blanks));
        }
        return true;
    }

    bool characters()
    {
        const QStringView text = m_reader.text();
        if (text.trimmed().isEmpty()) {
            if (m_open.isEmpty())
                return true;
            Open &open = m_open.last();
            if (!open.hasChild) {
                open.blanks += text;
                if (m_reader.isCDATA())
                    open.blankCData << text.toString();
            } else if (m_reader.isCDATA()) {
                open.element.appendChild(m_doc.createCDATASection(text.toString()));
            }
            return true;
        }
        if (m_open.isEmpty())
            return fail(QStringLiteral("Error occurred while processing the element content"));
        append(m_reader.isCDATA() ? QDomNode(m_doc.createCDATASection(text.toString()))
                                  : QDomNode(m_doc.createTextNode(text.toString())));
        return true;
    }

    QXmlStreamReader m_reader;
    QDomDocument m_doc;
    QList<Open> m_open;
    QString m_message;
    int m_line = 0;
    int m_column = 0;
};

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
    DomBuilder builder(data);
    if (builder.parse()) {
        *doc = builder.document();
        return true;
    }
    if (error) {
        *error = QStringLiteral("%1: %2 (line %3, column %4)")
                     .arg(QDir::toNativeSeparators(path), builder.message(), QString::number(builder.line()),
                          QString::number(builder.column()));
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
