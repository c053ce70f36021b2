#pragma once

#include <QDomDocument>
#include <QString>

#include <optional>

// The per-key reading rule shared by the settings, parameter and image readers.

// An empty document to build a file in (a default-constructed QDomDocument takes no nodes).
QDomDocument newXmlDocument();

// Appends an element named `name` to `parent`.
QDomElement appendElement(QDomDocument &doc, QDomNode parent, const QString &name);

// Appends an element holding `value` as its text; an empty value gives an empty element.
QDomElement appendLeaf(QDomDocument &doc, QDomNode parent, const QString &name, const QString &value);

// Parses XML; on failure the message names the file, the line and the column. Element text
// that holds only blanks is kept as it stands.
bool parseXml(const QByteArray &data, const QString &path, QDomDocument *doc, QString *error);

// The document's first node, whatever it is: the root element, or an XML declaration, a
// comment or a document type before it (then no key can be found under it).
QDomNode firstNode(const QDomDocument &doc);

// Where the first character lies that XML 1.0 cannot hold (controls but tab, line feed and
// carriage return; U+FFFE, U+FFFF; lone surrogates), or -1 when every character is fine.
qsizetype firstNonXmlCharacter(QStringView text);
inline bool isXmlText(QStringView text)
{
    return firstNonXmlCharacter(text) < 0;
}

// The text without the characters XML 1.0 cannot hold.
QString withoutNonXmlCharacters(QStringView text);

// "U+0001", for messages.
QString characterCode(QStringView text, qsizetype at);

// Writes the document without declaration and indentation, through the atomic save. A document
// holding a text XML cannot hold is refused, and the earlier file stays as it was.
bool writeXmlFile(const QString &path, const QDomDocument &doc, QString *error);

// Where the bytes of a file that did not read as XML are kept when it is replaced:
// <path>.unreadable, replaced each time.
QString unreadableCopyPath(const QString &path);

// Says, after the message of a file that did not read, that saving keeps what it holds.
QString unreadableCopyNote(const QString &path);

// Before a file is replaced or removed: a regular file there that does not read as XML is kept
// in its unreadable copy, which `keptAs` then names. False, with the reason, when no copy can be
// made; then the file must stay.
bool keepIfUnreadable(const QString &path, QString *keptAs, QString *error);

// As writeXmlFile, for a file a user may have damaged: a regular file there that does not read
// as XML is first kept in its unreadable copy, which `keptAs` then names. When no copy can be
// made, nothing is written.
bool replaceXmlFile(const QString &path, const QDomDocument &doc, QString *error, QString *keptAs = nullptr);

// The text of the first child element of `parent` named exactly `name`, when that element
// holds nothing or a single text (or CDATA) node; nothing otherwise.
std::optional<QString> leafText(const QDomNode &parent, const QString &name);
