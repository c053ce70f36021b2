#pragma once

#include "core/Csv.h"
#include "core/TextTable.h"
#include "params/ParameterFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <utility>

// A plan: many configurations from one table. Its first row names the columns, Name and any of
// the parameter keys; every further row is one configuration, created or updated. The whole
// plan is checked before anything is written.

struct PlanProblem {
    int line = 0;        // the plan's line, 1 for the header; 0 for the workspace as a whole
    QString column;      // the column it concerns; empty for none
    QString message;
    bool warning = false;
};

struct PlanRow {
    int line = 0;
    QString name;
    bool exists = false;    // updates the configuration of that name, else creates it
    ParameterValues values; // the parameter set the row results in
};

// The workspace as it stands, which the plan is checked against.
struct PlanWorkspace {
    struct Configuration {
        QString name;
        ParameterValues values;
        QString loadError; // the parameter file could not be read: values are not known
    };
    QList<Configuration> configurations;
    // The text-table index of the New Configuration message that refuses a new name, -1 for none.
    std::function<int(const QString &name)> refusalOfNewName;
};

struct CheckedPlan {
    QList<PlanRow> rows;
    QList<PlanProblem> problems; // by line, in the order found

    int count(bool warnings) const;
};

// Applies every row to the configuration it names (the stored values, or the defaults for a new
// one) and reports every problem. A cell is read as set reads a value, after these rules: an
// empty cell, quoted or not, keeps the value, and a cell holding "" (two quote marks) is the
// empty text; a leading apostrophe is dropped, so '"" stands for those two quote marks and a
// cell written safe from spreadsheets ('=1+2) is read back as written. Keys and Name are read in
// any letter case.
// Errors: a column close to a key, repeated columns, a missing Name column, refused names and
// values, new names that Windows cannot hold, each row's first broken rule, names of one folder
// as Windows or macOS see it (letter case, Unicode normalisation, trailing blanks and dots).
// Warnings: a text that is not UTF-8, a column that is no key (left out), a name with blanks at
// an end, an IP address used twice in the plan or by a configuration the plan leaves alone, and
// the network warnings.
CheckedPlan checkPlan(const CsvTable &table, const PlanWorkspace &workspace, const TextTable &texts);

// A plan cell and the value it stands for. An empty cell keeps the value, so the empty text is
// written "" (two quote marks). A leading apostrophe, the spreadsheets' mark of a text as typed,
// is dropped on reading; so a text that begins with one, or with a character that makes a
// spreadsheet run the cell as a formula, is written with one before it: "=1+2" as '=1+2, "-1" as
// '-1, "'x" as ''x.
QString planCellValue(const QString &cell);
QString planCell(const QString &value);

// The plan that recreates these configurations, as checkPlan reads it back: Name and the 33
// keys, a choice as its item in `texts` (a value that is no item's index as stored), every
// other value as stored, each cell as planCell writes it; UTF-8
// with a byte-order mark.
QByteArray planOf(const QList<std::pair<QString, ParameterValues>> &configurations, const TextTable &texts,
                  QChar delimiter = u',');
