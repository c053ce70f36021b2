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

// Parses XML; on failure the message names the file, the line and the column.
bool parseXml(const QByteArray &data, const QString &path, QDomDocument *doc, QString *error);

// The text of the first child element of `parent` named exactly `name`, when that element
// holds nothing or a single text (or CDATA) node; nothing otherwise.
std::optional<QString> leafText(const QDomNode &parent, const QString &name);
