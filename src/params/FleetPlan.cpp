#include "params/FleetPlan.h"

#include "core/Ipv4.h"
#include "core/Csv.h"
#include "core/Names.h"
#include "core/NearestMatch.h"
#include "params/NetworkRules.h"
#include "params/ParameterText.h"
#include "params/Validation.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

const QString kNameColumn = QStringLiteral("Name");

PlanProblem noNameColumn(int line)
{
    return {line, kNameColumn, QStringLiteral("the plan has no Name column")};
}

// What each column of the header holds.
struct Columns {
    int name = -1;
    QList<const ParameterDef *> parameters; // per column; nullptr for Name, left-out and unnamed ones
    QList<bool> unnamed;                    // an empty header cell: its cells must stay empty
    QList<bool> leftOut;                    // a column of the plant's own, or one already reported
};

bool isNameColumn(const QString &column)
{
    return column.compare(kNameColumn, Qt::CaseInsensitive) == 0;
}

// A column that is not a key is a plant's own (remarks, locations); one close to a key is a slip.
void readUnknownColumn(const CsvRecord &header, const QString &column, QList<PlanProblem> &problems)
{
    const QStringList nearest = nearestMatches(column, QStringList{kNameColumn} + parameterKeys());
    if (nearest.isEmpty())
        problems.append({header.line, column,
                         QStringLiteral("the column \"%1\" is no parameter key; it is left out").arg(column), true});
    else
        problems.append({header.line, column, QStringLiteral("unknown column; ") + didYouMean(nearest)});
}

Columns readHeader(const CsvRecord &header, QList<PlanProblem> &problems)
{
    Columns columns;
    QSet<QString> seen; // case-folded: keys are read in any letter case
    for (qsizetype i = 0; i < header.fields.size(); ++i) {
        // Keys hold no blanks, so blanks around a column name are a spreadsheet's, not a typo.
        const QString column = header.fields.at(i).trimmed();
        const ParameterDef *def = findParameter(column);
        columns.parameters << def;
        columns.unnamed << column.isEmpty();
        columns.leftOut << false;
        if (column.isEmpty())
            continue;
        const QString folded = column.toCaseFolded();
        if (seen.contains(folded)) {
            problems.append({header.line, column, QStringLiteral("the column appears twice")});
            columns.parameters.last() = nullptr;
            columns.leftOut.last() = true;
            continue;
        }
        seen.insert(folded);
        if (isNameColumn(column)) {
            columns.name = int(i);
        } else if (!def) {
            readUnknownColumn(header, column, problems);
            columns.leftOut.last() = true;
        }
    }
    if (columns.name < 0)
        problems.append(noNameColumn(header.line));
    return columns;
}

// Nothing in any column that is read: a spacer, or a row of remarks alone.
bool isBlankRow(const CsvRecord &record, const Columns &columns)
{
    for (qsizetype i = 0; i < record.fields.size(); ++i) {
        if (!record.fields.at(i).isEmpty() && !columns.leftOut.value(i))
            return false;
    }
    return true;
}

QString columnNumber(qsizetype index)
{
    return QStringLiteral("column %1").arg(index + 1);
}

// One row while it is checked: the configuration it results in and what went wrong so far.
struct RowCheck {
    explicit RowCheck(const CsvRecord &record) : record(record) {}

    const CsvRecord &record;
    PlanRow row;
    QSet<int> refused;     // the keys whose cells could not be applied
    bool baseKnown = true; // the configuration's stored values could be read
    bool failed = false;

    // A check runs only where the values it reads are known.
    bool knows(Param::Id first, Param::Id last) const
    {
        return baseKnown && std::none_of(refused.begin(), refused.end(), [&](int id) { return id >= first && id <= last; });
    }
};

// Checks the rows one by one, against the workspace and against the rows before them.
class PlanChecker {
public:
    PlanChecker(const PlanWorkspace &workspace, const TextTable &texts, const Columns &columns,
                QList<PlanProblem> &problems)
        : m_workspace(workspace), m_texts(texts), m_columns(columns), m_problems(problems)
    {
        for (const PlanWorkspace::Configuration &configuration : workspace.configurations) {
            m_byName.insert(configuration.name, &configuration);
            m_byFolderKey.insert(folderKey(configuration.name), &configuration);
        }
    }

    // Only configurations the plan leaves alone keep their address.
    void noteUntouchedAddresses(const QList<CsvRecord> &records)
    {
        QSet<QString> touched;
        for (const CsvRecord &record : records)
            touched.insert(nameOf(record));
        for (const PlanWorkspace::Configuration &configuration : m_workspace.configurations) {
            if (touched.contains(configuration.name))
                continue;
            if (!configuration.loadError.isEmpty()) {
                m_problems.append({0, QString(),
                                   QStringLiteral("the address of configuration \"%1\" is not known: %2")
                                       .arg(configuration.name, configuration.loadError),
                                   true});
            } else if (const std::optional<quint32> address = addressOf(configuration.values, Param::ModbusTCPSlave_IP1)) {
                m_untouchedAddresses.insert(*address, configuration.name);
            }
        }
    }

    std::optional<PlanRow> checkRow(const CsvRecord &record)
    {
        RowCheck check(record);
        startFromConfiguration(check);
        checkNameIsNew(check);
        applyCells(check);
        checkRules(check);
        checkAddressIsFree(check);
        addNetworkWarnings(check);
        if (check.failed)
            return std::nullopt;
        return check.row;
    }

private:
    QString nameOf(const CsvRecord &record) const { return planCellValue(record.fields.value(m_columns.name)); }

    void problem(RowCheck &check, const QString &column, const QString &message)
    {
        m_problems.append({check.record.line, column, message});
        check.failed = true;
    }

    void warning(const RowCheck &check, const QString &column, const QString &message)
    {
        m_problems.append({check.record.line, column, message, true});
    }

    // The stored values of the configuration the row names, or the defaults for a new one.
    void startFromConfiguration(RowCheck &check)
    {
        PlanRow &row = check.row;
        row.line = check.record.line;
        row.name = nameOf(check.record);
        row.values = defaultParameterValues();
        const qsizetype problemsBefore = m_problems.size();
        if (const PlanWorkspace::Configuration *existing = m_byName.value(row.name)) {
            row.exists = true;
            if (!existing->loadError.isEmpty()) {
                problem(check, kNameColumn, existing->loadError);
                check.baseKnown = false;
            }
            row.values = existing->values;
        } else if (const int refusal = m_workspace.refusalOfNewName(row.name); refusal >= 0) {
            problem(check, kNameColumn, m_texts.text(refusal));
        } else if (const PlanWorkspace::Configuration *other = m_byFolderKey.value(folderKey(row.name))) {
            problem(check, kNameColumn, sameFolderMessage(row.name, other->name));
        } else if (const QString windows = windowsNameProblem(row.name); !windows.isEmpty()) {
            problem(check, kNameColumn, windows);
        }
        // Blanks are allowed in names, but a cell hides them at either end; a new name that
        // ends in one is refused above, as Windows cannot hold it.
        if (m_problems.size() == problemsBefore && !row.name.isEmpty()
            && (row.name.front().isSpace() || row.name.back().isSpace()))
            warning(check, kNameColumn, QStringLiteral("the name \"%1\" begins or ends with a blank; it is written as given")
                                            .arg(row.name));
    }

    // No two rows name one folder, as Windows or macOS see folders.
    void checkNameIsNew(RowCheck &check)
    {
        const QString &name = check.row.name;
        if (name.isEmpty())
            return;
        const QString key = folderKey(name);
        if (m_lineOfName.contains(key))
            problem(check, kNameColumn, QStringLiteral("\"%1\" names the same configuration as line %2")
                                            .arg(name, QString::number(m_lineOfName.value(key))));
        else
            m_lineOfName.insert(key, check.record.line);
    }

    void applyCells(RowCheck &check)
    {
        const CsvRecord &record = check.record;
        for (qsizetype i = 0; i < record.fields.size(); ++i) {
            const QString &cell = record.fields.at(i);
            // An empty cell keeps the value, whether or not it was quoted.
            if (cell.isEmpty())
                continue;
            if (i >= m_columns.parameters.size() || m_columns.unnamed.at(i)) {
                problem(check, columnNumber(i), QStringLiteral("a value in a column without a name"));
                continue;
            }
            const ParameterDef *def = m_columns.parameters.at(i);
            if (def) // not Name, nor a column left out or already reported
                applyCell(check, *def, planCellValue(cell));
        }
    }

    void applyCell(RowCheck &check, const ParameterDef &def, const QString &cell)
    {
        QString error;
        if (const std::optional<QString> stored = storedValueOf(def, cell, m_texts, &error)) {
            check.row.values[def.id] = *stored;
        } else {
            problem(check, def.key, error);
            check.refused.insert(def.id);
        }
    }

    void checkRules(RowCheck &check)
    {
        if (!check.baseKnown || !check.refused.isEmpty())
            return;
        if (const std::optional<int> broken = firstBrokenRule(check.row.values))
            problem(check, parameter(ruleField(*broken)).key, m_texts.text(*broken));
    }

    // Plants run identical machines on networks of their own, so a shared address is only a warning.
    void checkAddressIsFree(RowCheck &check)
    {
        if (!check.knows(Param::ModbusTCPSlave_IP1, Param::ModbusTCPSlave_IP4))
            return;
        const std::optional<quint32> address = addressOf(check.row.values, Param::ModbusTCPSlave_IP1);
        if (!address)
            return;
        const QString ipColumn = parameter(Param::ModbusTCPSlave_IP1).key;
        if (m_lineOfAddress.contains(*address))
            warning(check, ipColumn, QStringLiteral("%1 is also the address of line %2")
                                         .arg(dottedIpv4(*address), QString::number(m_lineOfAddress.value(*address))));
        else
            m_lineOfAddress.insert(*address, check.record.line);
        if (m_untouchedAddresses.contains(*address))
            warning(check, ipColumn, QStringLiteral("%1 is already the address of configuration \"%2\"")
                                         .arg(dottedIpv4(*address), m_untouchedAddresses.value(*address)));
    }

    void addNetworkWarnings(const RowCheck &check)
    {
        if (!check.knows(Param::ModbusTCPSlave_IP1, Param::ModbusTCPSlave_En_GAT))
            return;
        for (const NetworkWarning &network : networkWarnings(check.row.values, m_texts))
            warning(check, network.key, network.message);
    }

    const PlanWorkspace &m_workspace;
    const TextTable &m_texts;
    const Columns &m_columns;
    QList<PlanProblem> &m_problems;
    QHash<QString, const PlanWorkspace::Configuration *> m_byName;
    QHash<QString, const PlanWorkspace::Configuration *> m_byFolderKey;
    QHash<quint32, QString> m_untouchedAddresses;
    QHash<QString, int> m_lineOfName; // by folder key
    QHash<quint32, int> m_lineOfAddress;
};

} // namespace

int CheckedPlan::count(bool warnings) const
{
    return int(std::count_if(problems.begin(), problems.end(),
                             [warnings](const PlanProblem &p) { return p.warning == warnings; }));
}

QString planCellValue(const QString &cell)
{
    if (cell.startsWith(u'\''))
        return cell.mid(1);
    if (cell == u"\"\"")
        return QString();
    return cell;
}

QString planCell(const QString &value)
{
    if (value.isEmpty())
        return QStringLiteral("\"\"");
    if (value.startsWith(u'\'') || value == u"\"\"" || startsLikeFormula(value))
        return u'\'' + value;
    return value;
}

CheckedPlan checkPlan(const CsvTable &table, const PlanWorkspace &workspace, const TextTable &texts)
{
    CheckedPlan plan;
    if (table.notUtf8Line > 0)
        plan.problems.append({table.notUtf8Line, QString(),
                              QStringLiteral("this line is not UTF-8: the plan is read as Windows-1252"), true});
    if (table.records.isEmpty()) {
        plan.problems.append(noNameColumn(1));
        return plan;
    }
    const Columns columns = readHeader(table.records.first(), plan.problems);
    if (columns.name < 0)
        return plan;
    const QList<CsvRecord> records = table.records.mid(1);
    PlanChecker checker(workspace, texts, columns, plan.problems);
    checker.noteUntouchedAddresses(records);
    for (const CsvRecord &record : records) {
        if (isBlankRow(record, columns))
            continue;
        if (const std::optional<PlanRow> row = checker.checkRow(record))
            plan.rows.append(*row);
    }
    std::stable_sort(plan.problems.begin(), plan.problems.end(),
                     [](const PlanProblem &a, const PlanProblem &b) { return a.line < b.line; });
    return plan;
}

QByteArray planOf(const QList<std::pair<QString, ParameterValues>> &configurations, const TextTable &texts,
                  QChar delimiter)
{
    QStringList header{kNameColumn};
    header << parameterKeys();
    // The byte-order mark makes spreadsheet programs read the text as UTF-8.
    QString text = QChar(0xFEFF) + csvRecord(header, delimiter);
    for (const auto &[name, values] : configurations) {
        QStringList fields{planCell(name)};
        for (const ParameterDef &def : parameterSet())
            fields << planCell(shownValue(def, values[def.id], texts));
        text += csvRecord(fields, delimiter);
    }
    return text.toUtf8();
}
