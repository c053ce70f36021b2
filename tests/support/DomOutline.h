#pragma once

#include <QDomDocument>
#include <QString>
#include <QStringList>

// A document's nodes as text, one line each, to compare two trees. An element whose children are
// all texts of blanks (CDATA sections too) counts as empty: the reader keeps such texts where Qt's
// DOM parser drops them.
inline void outlineNode(const QDomNode &node, int depth, QStringList &lines)
{
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        const QString indent(depth * 2, u' ');
        switch (child.nodeType()) {
        case QDomNode::ElementNode: {
            QString line = indent + QStringLiteral("element ") + child.nodeName();
            const QDomNamedNodeMap attributes = child.attributes();
            QStringList pairs;
            for (int i = 0; i < attributes.count(); ++i)
                pairs << attributes.item(i).nodeName() + u'=' + attributes.item(i).nodeValue();
            pairs.sort();
            lines << line + u' ' + pairs.join(u' ');
            bool blanksOnly = true;
            for (QDomNode inner = child.firstChild(); !inner.isNull() && blanksOnly; inner = inner.nextSibling())
                blanksOnly = inner.isText() && inner.nodeValue().trimmed().isEmpty();
            if (!blanksOnly)
                outlineNode(child, depth + 1, lines);
            break;
        }
        case QDomNode::TextNode:
            lines << indent + QStringLiteral("text ") + child.nodeValue();
            break;
        case QDomNode::CDATASectionNode:
            lines << indent + QStringLiteral("cdata ") + child.nodeValue();
            break;
        case QDomNode::CommentNode:
            lines << indent + QStringLiteral("comment ") + child.nodeValue();
            break;
        case QDomNode::ProcessingInstructionNode:
            lines << indent + QStringLiteral("instruction ") + child.nodeName() + u' ' + child.nodeValue();
            break;
        case QDomNode::EntityReferenceNode:
            lines << indent + QStringLiteral("entity reference ") + child.nodeName();
            break;
        default:
            lines << indent + QStringLiteral("node of type %1").arg(child.nodeType());
            break;
        }
    }
}

inline QString domOutline(const QDomDocument &doc)
{
    QStringList lines{QStringLiteral("document type ") + doc.doctype().name()};
    outlineNode(doc, 0, lines);
    return lines.join(u'\n');
}
