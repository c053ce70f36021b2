#include "widgets/XmlTextValidator.h"

#include "core/XmlLookup.h"

QValidator::State XmlTextValidator::validate(QString &input, int &pos) const
{
    if (isXmlText(input))
        return Acceptable;
    // The cursor keeps its place among the characters that stay.
    const QString before = withoutNonXmlCharacters(QStringView(input).left(pos));
    input = before + withoutNonXmlCharacters(QStringView(input).mid(pos));
    pos = int(before.size());
    return Acceptable;
}
