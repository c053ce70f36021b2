#pragma once

#include "core/TextTable.h"
#include "params/ParameterFile.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One configuration's page of the commissioning sheet.
struct SheetSection {
    QString name;
    QDate date;
    bool hasParameterFile = false;    // else `values` are the defaults the editor shows
    ParameterValues values;
    std::optional<int> brokenRule;    // text index of the first broken rule's message
    QStringList networkWarnings;      // the network sanity warnings, one text each
    QString image;                    // the image's checksum line, or "not composed"
};

// A self-contained HTML page, one section a configuration, ready for printing on A4. Every
// text taken from files (names, values, texts of the language) is escaped.
QString commissioningSheet(const QList<SheetSection> &sections, const TextTable &texts);

// The network warnings' part of a section.
QString networkWarningsHtml(const QStringList &warnings);
