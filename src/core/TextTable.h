#pragma once

#include <QString>
#include <QStringList>

// A text with %1 ... %9 replaced by `args` in one pass, so that an argument holding "%1" stays
// as it is. An argument whose place a translation lost is appended, so no number goes missing.
QString fillText(const QString &text, const QStringList &args);

// The ordered table of user-interface texts; a window reads it by index only.
struct TextTable {
    QStringList entries;
    int Text_Count = 0;

    QString text(int index) const { return entries.value(index); }
    QString text(int index, const QStringList &args) const { return fillText(text(index), args); }
};
