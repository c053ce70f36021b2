#include "params/ParameterText.h"

#include "core/IntegerConversion.h"
#include "core/XmlLookup.h"

std::optional<QString> storedValueOf(const ParameterDef &def, const QString &text, const TextTable &texts,
                                     QString *error)
{
    if (const qsizetype at = firstNonXmlCharacter(text); at >= 0) {
        *error = QStringLiteral("the character %1 cannot be stored in a parameter file").arg(characterCode(text, at));
        return std::nullopt;
    }
    switch (def.kind) {
    case ParameterKind::Number:
        return text;
    case ParameterKind::Flag:
        if (text == u"0" || text == u"1")
            return text;
        *error = QStringLiteral("\"%1\" is not a flag: 1 or 0").arg(text);
        return std::nullopt;
    case ParameterKind::Choice:
        break;
    }
    const QStringList items = choiceItems(def, texts);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).compare(text, Qt::CaseInsensitive) == 0)
            return QString::number(i);
    }
    // -1 is how the file stores a list with no item selected; a plan must be able to say so.
    const std::optional<qint32> index = toInteger(text);
    if (index && *index >= -1 && *index < items.size())
        return QString::number(*index);
    QStringList choices;
    for (qsizetype i = 0; i < items.size(); ++i)
        choices << QStringLiteral("%1 (%2)").arg(QString::number(i), items.at(i));
    *error = QStringLiteral("\"%1\" is none of the items: %2").arg(text, choices.join(QStringLiteral(", ")));
    return std::nullopt;
}
