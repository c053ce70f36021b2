#include "params/ParameterFile.h"

#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/IntegerConversion.h"
#include "core/XmlLookup.h"

#include <QFileInfo>

namespace {

QString loadedText(const ParameterDef &def, const QString &text)
{
    switch (def.kind) {
    case ParameterKind::Choice: {
        const qint32 index = toIntegerDef(text, toIntegerDef(def.defaultValue, -1));
        // An index the list does not have selects nothing.
        return QString::number(index >= 0 && index < choiceItemCount(def) ? index : -1);
    }
    case ParameterKind::Flag:
        return text == u"1" ? QStringLiteral("1") : QStringLiteral("0");
    case ParameterKind::Number:
        break;
    }
    return text;
}

} // namespace

ParameterValues defaultParameterValues()
{
    ParameterValues values;
    for (const ParameterDef &def : parameterSet())
        values[def.id] = def.defaultValue;
    return values;
}

int choiceItemCount(const ParameterDef &def)
{
    return int(def.itemTexts.isEmpty() ? def.items.size() : def.itemTexts.size());
}

ParameterValues parameterValuesFromXml(const QDomDocument &doc)
{
    const QDomNode root = firstNode(doc);
    ParameterValues values;
    for (const ParameterDef &def : parameterSet()) {
        const std::optional<QString> text = leafText(root, def.key);
        values[def.id] = text ? loadedText(def, *text) : def.defaultValue;
    }
    return values;
}

bool loadParameterFile(const QString &path, ParameterValues *values, QString *error)
{
    *values = defaultParameterValues();
    if (!QFileInfo::exists(path))
        return true;
    QByteArray data;
    if (!readWholeFile(path, &data, error))
        return false;
    QDomDocument doc = newXmlDocument();
    if (!parseXml(data, path, &doc, error))
        return false;
    *values = parameterValuesFromXml(doc);
    return true;
}

namespace {
QDomDocument parameterDocument(const ParameterValues &values)
{
    QDomDocument doc = newXmlDocument();
    QDomElement root = appendElement(doc, doc, QStringLiteral("Par_Gen"));
    doc.appendChild(doc.createComment(QStringLiteral("SW_VERSION = ") + kSwVersion));
    for (const ParameterDef &def : parameterSet())
        appendLeaf(doc, root, def.key, values[def.id]);
    return doc;
}
} // namespace

QByteArray parameterFileBytes(const ParameterValues &values)
{
    return parameterDocument(values).toByteArray(-1);
}

bool saveParameterFile(const QString &path, const ParameterValues &values, QString *error, QString *keptAs)
{
    return replaceXmlFile(path, parameterDocument(values), error, keptAs);
}
