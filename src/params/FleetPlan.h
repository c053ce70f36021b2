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
// one; an empty cell keeps the value, a quoted empty cell is the empty text, a cell written safe
// from spreadsheets is read back) and reports every problem: unknown or repeated columns, a
// missing Name column, refused names and values, new names that Windows cannot hold, each row's
// first broken rule, names of one folder as Windows or macOS see it (letter case, Unicode
// normalisation, trailing blanks and dots), an IP address used twice in the plan or by a
// configuration the plan leaves alone, and the network warnings.
CheckedPlan checkPlan(const CsvTable &table, const PlanWorkspace &workspace, const TextTable &texts);

// The plan that recreates these configurations: Name and the 33 keys, every value as it is
// stored (written safe from spreadsheets, see formulaSafeCell), comma-delimited, UTF-8 with a
// byte-order mark.
QByteArray planOf(const QList<std::pair<QString, ParameterValues>> &configurations);
