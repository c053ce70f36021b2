#pragma once

#include <QString>
#include <QStringList>

// The ordered table of user-interface texts; a window reads it by index only.
struct TextTable {
    QStringList entries;
    int Text_Count = 0;

    QString text(int index) const { return entries.value(index); }
};
