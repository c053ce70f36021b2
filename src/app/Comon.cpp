#include "app/Comon.h"

#include "params/IntegerConversion.h"

namespace {
// Blanks and control characters go at both ends, as users paste addresses with either.
QString trimControls(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= u' ')
        ++first;
    while (last > first && text.at(last - 1).unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

// Takes the part before the first dot into `part` and leaves the trimmed rest in `text`.
bool takePart(QString &text, QString &part)
{
    const qsizetype dot = text.indexOf(u'.');
    if (dot < 0)
        return false;
    part = trimControls(text.left(dot));
    text = trimControls(text.mid(dot + 1));
    return true;
}

bool isAddressByte(const QString &part)
{
    constexpr qint32 kNotANumber = 1000;
    const qint32 value = toIntegerDef(part, kNotANumber);
    return value >= 0 && value <= 255;
}
} // namespace

bool Split_IP_Address(const QString &Text, QString &IP1, QString &IP2, QString &IP3, QString &IP4)
{
    QString rest = trimControls(Text);
    if (!takePart(rest, IP1) || !takePart(rest, IP2) || !takePart(rest, IP3))
        return false;
    IP4 = rest; // further dots stay here and make the number invalid
    return isAddressByte(IP1) && isAddressByte(IP2) && isAddressByte(IP3) && isAddressByte(IP4);
}
