#include "core/Comon.h"

#include "core/IntegerConversion.h"

QString trimControl(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin).toString();
}

namespace {

// Takes the part before the first dot into `part` and leaves the trimmed rest in `text`.
bool takePart(QString &text, QString &part)
{
    const qsizetype dot = text.indexOf(u'.');
    if (dot < 0)
        return false;
    part = trimControl(text.left(dot));
    text = trimControl(text.mid(dot + 1));
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
    QString rest = trimControl(Text);
    if (!takePart(rest, IP1) || !takePart(rest, IP2) || !takePart(rest, IP3))
        return false;
    IP4 = rest; // further dots stay here and make the number invalid
    return isAddressByte(IP1) && isAddressByte(IP2) && isAddressByte(IP3) && isAddressByte(IP4);
}
