#include "core/TextTable.h"

#include <QList>

QString fillText(const QString &text, const QStringList &args)
{
    QString out;
    out.reserve(text.size());
    QList<bool> used(args.size(), false);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const int number = c == u'%' && i + 1 < text.size() ? text.at(i + 1).digitValue() : -1;
        if (number >= 1 && number <= args.size()) {
            out += args.at(number - 1);
            used[number - 1] = true;
            ++i;
        } else {
            out += c;
        }
    }
    for (qsizetype k = 0; k < args.size(); ++k) {
        if (!used.at(k))
            out += u' ' + args.at(k);
    }
    return out;
}
