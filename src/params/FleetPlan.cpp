#include "params/FleetPlan.h"

#include "core/Ipv4.h"
#include "params/NetworkRules.h"
#include "params/ParameterText.h"
#include "params/Validation.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

const QString kNameColumn = QStringLiteral("Name");

// What each column of the header holds.
struct Columns {
    int name = -1;
    QList<const ParameterDef *> parameters; // per column; nullptr for Name, unknown and unnamed ones
    QList<bool> unnamed;                    // an empty header cell: its cells must stay empty
};

Columns readHeader(const CsvRecord &header, QList<PlanProblem> &problems)
{
    Columns columns;
    QSet<QString> seen;
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        // Keys hold no blanks, so blanks around a column name are a spreadsheet's, not a typo.
        const QString column = header.fields.at(i).trimmed();
        const ParameterDef *def = findParameter(column);
        columns.parameters << def;
        columns.unnamed << column.isEmpty();
        if (column.isEmpty())
            continue;
        if (seen.contains(column)) {
            problems.append({header.line, column, QStringLiteral("the column appears twice")});
            columns.parameters.last() = nullptr;
            continue;
        }
        seen.insert(column);
        if (column == kNameColumn)
            columns.name = int(i);
        else if (!def)
            problems.append({header.line, column,
                             QStringLiteral("unknown column (the columns are Name and the keys of ParGen.xml)")});
    }
    if (columns.name < 0)
        problems.append({header.line, kNameColumn, QStringLiteral("the plan has no Name column")});
    return columns;
}

bool isBlankRow(const CsvRecord &record)
{
    for (qsizetype i = 0; i < record.fields.size(); ++i) {
        if (!record.fields.at(i).isEmpty() || record.quoted.at(i))
            return false;
    }
    return true;
}

QString columnNumber(qsizetype index)
{
    return QStringLiteral("column %1").arg(index + 1);
}

} // namespace

int CheckedPlan::count(bool warnings) const
{
    return int(std::count_if(problems.begin(), problems.end(),
                             [warnings](const PlanProblem &p) { return p.warning == warnings; }));
}

CheckedPlan checkPlan(const CsvTable &table, const PlanWorkspace &workspace, const TextTable &texts)
{
    CheckedPlan plan;
    if (table.records.isEmpty()) {
        plan.problems.append({1, kNameColumn, QStringLiteral("the plan has no Name column")});
        return plan;
    }
    const Columns columns = readHeader(table.records.first(), plan.problems);
    if (columns.name < 0)
        return plan;
    const QList<CsvRecord> records = table.records.mid(1);

    QHash<QString, const PlanWorkspace::Configuration *> byName;
    QHash<QString, const PlanWorkspace::Configuration *> byFoldedName;
    for (const PlanWorkspace::Configuration &configuration : workspace.configurations) {
        byName.insert(configuration.name, &configuration);
        byFoldedName.insert(configuration.name.toCaseFolded(), &configuration);
    }

    // Only configurations the plan leaves alone keep their address.
    QSet<QString> touched;
    for (const CsvRecord &record : records)
        touched.insert(record.fields.value(columns.name));
    QHash<quint32, QString> untouchedAddresses;
    for (const PlanWorkspace::Configuration &configuration : workspace.configurations) {
        if (touched.contains(configuration.name))
            continue;
        if (!configuration.loadError.isEmpty()) {
            plan.problems.append({0, QString(),
                                  QStringLiteral("the address of configuration \"%1\" is not known: %2")
                                      .arg(configuration.name, configuration.loadError),
                                  true});
        } else if (const std::optional<quint32> address = addressOf(configuration.values, Param::ModbusTCPSlave_IP1)) {
            untouchedAddresses.insert(*address, configuration.name);
        }
    }

    QHash<QString, int> lineOfName; // by case-folded name
    QHash<quint32, int> lineOfAddress;
    const QString ipColumn = parameter(Param::ModbusTCPSlave_IP1).key;
    for (const CsvRecord &record : records) {
        if (isBlankRow(record))
            continue;
        bool rowFailed = false;
        const auto problem = [&](const QString &column, const QString &message) {
            plan.problems.append({record.line, column, message});
            rowFailed = true;
        };

        PlanRow row;
        QSet<int> refused; // the keys whose cells could not be applied
        row.line = record.line;
        row.name = record.fields.value(columns.name);
        row.values = defaultParameterValues();
        bool baseKnown = true;
        if (const PlanWorkspace::Configuration *existing = byName.value(row.name)) {
            row.exists = true;
            if (!existing->loadError.isEmpty()) {
                problem(kNameColumn, existing->loadError);
                baseKnown = false;
            }
            row.values = existing->values;
        } else if (const int refusal = workspace.refusalOfNewName(row.name); refusal >= 0) {
            problem(kNameColumn, texts.text(refusal));
        } else if (const PlanWorkspace::Configuration *other = byFoldedName.value(row.name.toCaseFolded())) {
            problem(kNameColumn, QStringLiteral("\"%1\" differs from the configuration \"%2\" only in letter case")
                                     .arg(row.name, other->name));
        }
        if (!row.name.isEmpty()) {
            const QString folded = row.name.toCaseFolded();
            if (lineOfName.contains(folded))
                problem(kNameColumn, QStringLiteral("\"%1\" names the same configuration as line %2")
                                         .arg(row.name)
                                         .arg(lineOfName.value(folded)));
            else
                lineOfName.insert(folded, record.line);
        }

        for (qsizetype i = 0; i < record.fields.size(); ++i) {
            const QString &cell = record.fields.at(i);
            // An empty cell keeps the value; "" in quotes sets the empty text.
            if (cell.isEmpty() && !record.quoted.at(i))
                continue;
            if (i >= columns.parameters.size() || columns.unnamed.at(i)) {
                problem(columnNumber(i), QStringLiteral("a value in a column without a name"));
                continue;
            }
            const ParameterDef *def = columns.parameters.at(i);
            if (!def)
                continue; // Name, or a column already reported
            QString error;
            if (const std::optional<QString> stored = storedValueOf(*def, cell, texts, &error)) {
                row.values[def->id] = *stored;
            } else {
                problem(def->key, error);
                refused.insert(def->id);
            }
        }

        // A check runs only where the values it reads are known.
        const auto known = [&](Param::Id first, Param::Id last) {
            return baseKnown && std::none_of(refused.begin(), refused.end(), [&](int id) { return id >= first && id <= last; });
        };
        if (baseKnown && refused.isEmpty()) {
            if (const std::optional<int> broken = firstBrokenRule(row.values))
                problem(parameter(ruleField(*broken)).key, texts.text(*broken));
        }
        if (known(Param::ModbusTCPSlave_IP1, Param::ModbusTCPSlave_IP4)) {
            if (const std::optional<quint32> address = addressOf(row.values, Param::ModbusTCPSlave_IP1)) {
                if (lineOfAddress.contains(*address))
                    problem(ipColumn, QStringLiteral("%1 is also the address of line %2")
                                          .arg(dottedIpv4(*address))
                                          .arg(lineOfAddress.value(*address)));
                else
                    lineOfAddress.insert(*address, record.line);
                if (untouchedAddresses.contains(*address))
                    problem(ipColumn, QStringLiteral("%1 is already the address of configuration \"%2\"")
                                          .arg(dottedIpv4(*address), untouchedAddresses.value(*address)));
            }
        }
        if (known(Param::ModbusTCPSlave_IP1, Param::ModbusTCPSlave_En_GAT)) {
            for (const NetworkWarning &warning : networkWarnings(row.values))
                plan.problems.append({record.line, warning.key, warning.message, true});
        }
        if (!rowFailed)
            plan.rows.append(row);
    }
    std::stable_sort(plan.problems.begin(), plan.problems.end(),
                     [](const PlanProblem &a, const PlanProblem &b) { return a.line < b.line; });
    return plan;
}

QByteArray planOf(const QList<std::pair<QString, ParameterValues>> &configurations)
{
    QStringList header{kNameColumn};
    for (const ParameterDef &def : parameterSet())
        header << def.key;
    // The byte-order mark makes spreadsheet programs read the text as UTF-8.
    QString text = QChar(0xFEFF) + csvRecord(header);
    for (const auto &[name, values] : configurations) {
        QStringList fields{name};
        for (const QString &value : values)
            fields << value;
        text += csvRecord(fields);
    }
    return text.toUtf8();
}
