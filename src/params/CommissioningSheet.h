#pragma once

#include "core/TextTable.h"
#include "params/ParameterFile.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the sheet says of a configuration's image.
struct SheetImage {
    enum class State {
        NotComposed,   // there is no image file
        Unreadable,    // `error` says why
        WrongSize,     // it holds `size` bytes
        WrongChecksum, // its checksum reads `checksum`, its bytes add up to `sum`
        Current,       // sound, and what the parameters compose
        OutOfDate,     // sound, but the parameters compose another image
        Unchecked,     // sound; the parameters could not be composed to compare
    };
    State state = State::NotComposed;
    QString error;
    qsizetype size = 0;
    quint32 checksum = 0;
    quint32 sum = 0;
};

// Reads a configuration folder's image and composes its parameter file to compare.
SheetImage sheetImageOf(const QString &folder);

// One configuration's page of the commissioning sheet.
struct SheetSection {
    QString name;
    QDate date;
    bool hasParameterFile = false;    // else `values` are the defaults the editor shows
    ParameterValues values;
    std::optional<int> brokenRule;    // text index of the first broken rule's message
    QStringList networkWarnings;      // the network sanity warnings, one text each
    SheetImage image;
};

// A self-contained HTML page, one section a configuration, ready for printing on A4, every word
// of it from `texts`. Every text taken from files (names, values, texts of the language) is
// escaped.
QString commissioningSheet(const QList<SheetSection> &sections, const TextTable &texts);
