// The fleet commands: batch, export.
#include "tool/Tool.h"

#include "core/AppState.h"
#include "core/ConfigurationLock.h"
#include "core/Constants.h"
#include "core/Csv.h"
#include "core/FileIO.h"
#include "core/Ipv4.h"
#include "core/Paths.h"
#include "params/ConfigImage.h"
#include "params/FleetPlan.h"
#include "params/ParameterFile.h"
#include "projects/Configurations.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTextStream>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <atomic>
#include <numeric>

namespace {

// The workspace's configurations as the editor loads them, and the New Configuration rules.
PlanWorkspace workspaceOf(const AppState &state)
{
    PlanWorkspace workspace;
    for (const QString &name : Load_Existing_Configuration(state.Dir_Projects)) {
        PlanWorkspace::Configuration configuration{name, {}, {}};
        loadParameterFile(parameterFilePathIn(joinPath(state.Dir_Projects, name)), &configuration.values,
                          &configuration.loadError);
        workspace.configurations << configuration;
    }
    const QString dirProjects = state.Dir_Projects;
    workspace.refusalOfNewName = [dirProjects](const QString &name) {
        return messageIndex(newConfigurationVerdict(dirProjects, name));
    };
    return workspace;
}

void printProblems(QTextStream &err, const QString &plan, const QList<PlanProblem> &problems)
{
    for (const PlanProblem &problem : problems) {
        err << plan;
        if (problem.line > 0)
            err << ':' << problem.line;
        err << ": ";
        if (problem.warning)
            err << "warning: ";
        else if (!problem.column.isEmpty())
            err << problem.column << ": ";
        err << problem.message << '\n';
    }
    err.flush();
}

// Name, address, Modbus ID, serial baud and checksum, read back from each image.
void printSummary(QTextStream &out, const QList<PlanRow> &rows, const QList<QByteArray> &images)
{
    QList<QStringList> table{{QStringLiteral("Name"), QStringLiteral("IP address"), QStringLiteral("Modbus ID"),
                              QStringLiteral("Serial baud"), QStringLiteral("Checksum")}};
    for (qsizetype i = 0; i < rows.size() && i < images.size(); ++i) {
        Config_Image image;
        quint32 stored = 0;
        quint32 computed = 0;
        Parse_Image(images.at(i), &image, &stored, &computed);
        const PortBlock &serial = serialOnRS232(image) ? image.RS232_Port : image.Serial_RS485_Port;
        table << QStringList{rows.at(i).name,
                             dottedIpv4(image.IP_Address),
                             QString::number(image.ModbusSlave_ID), QString::number(serial.Baud),
                             QString::number(stored)};
    }
    printTable(out, table);
}

struct RowWrite {
    enum Outcome { NotStarted, Written, Failed } outcome = NotStarted;
    int code = kExitUsage; // kExitRefused where another run holds or changed the configuration
    QString error;         // the file system's message
    QString what;          // what of the configuration was written when it failed
};

// Writes one row's pair under the configuration's lock. An existing configuration must still
// hold `base`, the values the plan was checked against: a change another run saved since then
// is not overwritten.
RowWrite writeRow(const AppState &state, const PlanRow &row, const QByteArray &image, const ParameterValues &base)
{
    RowWrite write;
    write.outcome = RowWrite::Failed;
    const QString folder = joinPath(state.Dir_Projects, row.name);
    if (!row.exists) {
        const NewConfigurationResult created = createConfiguration(state.Dir_Projects, row.name);
        if (created != NewConfigurationResult::Created) {
            write.error = QDir::toNativeSeparators(folder) + QStringLiteral(": ") + state.text(messageIndex(created));
            write.what = QStringLiteral("its folder could not be created");
            if (created == NewConfigurationResult::Exists) // another run created it after the check
                write.code = kExitRefused;
            return write;
        }
    }
    const QString untouched = row.exists ? QStringLiteral("it was left as it was")
                                         : QStringLiteral("its folder was created, its files were not");
    ConfigurationLock lock(folder);
    if (!lock.acquire(&write.error)) {
        write.code = kExitRefused;
        write.what = untouched;
        return write;
    }
    const QString parGen = parameterFilePathIn(folder);
    if (row.exists) {
        ParameterValues now;
        if (!loadParameterFile(parGen, &now, &write.error) || now != base) {
            if (write.error.isEmpty())
                write.error = QDir::toNativeSeparators(folder)
                              + QStringLiteral(": another run changed it after the plan was checked; run the plan again");
            write.code = kExitRefused;
            write.what = untouched;
            return write;
        }
        QDir().mkpath(joinPath(folder, kBinFolder)); // a configuration's image lives there
    }
    if (!saveParameterFile(parGen, row.values, &write.error)) {
        write.what = untouched;
        return write;
    }
    if (!saveImageFile(folder, image, &write.error)) {
        write.what = QStringLiteral("its ParGen.xml was written, its image was not");
        return write;
    }
    write.outcome = RowWrite::Written;
    return write;
}

// Writes the rows on several threads: every atomic save waits for the disk, and saves that wait
// together share the file system's journal commits, several times faster than one by one. After
// a failure no further row starts; the rows already under way finish.
QList<RowWrite> writeRows(const AppState &state, const QList<PlanRow> &rows, const QList<QByteArray> &images,
                          const QHash<QString, ParameterValues> &bases)
{
    constexpr int kWriters = 8;
    QList<RowWrite> writes(rows.size());
    RowWrite *outcome = writes.data(); // one element per row, no detaching across threads
    std::atomic_bool failed = false;
    QList<qsizetype> indices(rows.size());
    std::iota(indices.begin(), indices.end(), 0);
    QThreadPool pool;
    pool.setMaxThreadCount(kWriters);
    QtConcurrent::blockingMap(&pool, indices, [&](qsizetype i) {
        if (failed.load())
            return;
        const PlanRow &row = rows.at(i);
        outcome[i] = writeRow(state, row, images.at(i), bases.value(row.name));
        if (outcome[i].outcome == RowWrite::Failed)
            failed = true;
    });
    return writes;
}

qsizetype countOutcome(const QList<RowWrite> &writes, RowWrite::Outcome outcome)
{
    return std::count_if(writes.begin(), writes.end(), [outcome](const RowWrite &w) { return w.outcome == outcome; });
}

// One run of a plan, step by step. A step that ends the run returns false and leaves the exit code.
class Batch {
public:
    Batch(ToolContext &tool, const QString &planPath)
        : m_tool(tool), m_planPath(planPath), m_plan(QDir::toNativeSeparators(planPath))
    {
    }

    int exitCode = kExitOk;

    bool readPlan(CsvTable *table)
    {
        QByteArray data;
        QString error;
        if (!readWholeFile(m_planPath, &data, &error))
            return stop(kExitUsage, error);
        CsvError csvError;
        if (!readCsv(data, table, &csvError)) {
            printProblems(m_tool.err, m_plan, {{csvError.line, QString(), csvError.message}});
            return stop(kExitRefused, m_plan + QStringLiteral(": nothing written"));
        }
        return true;
    }

    // Every problem is printed; errors, and warnings with --strict, refuse the whole plan.
    bool checkRows(const CsvTable &table)
    {
        const PlanWorkspace workspace = workspaceOf(m_tool.state);
        for (const PlanWorkspace::Configuration &configuration : workspace.configurations)
            m_bases.insert(configuration.name, configuration.values);
        m_checked = checkPlan(table, workspace, m_tool.state.Text_Table);
        printProblems(m_tool.err, m_plan, m_checked.problems);
        const int errors = m_checked.count(false);
        const int warnings = m_checked.count(true);
        const bool strict = m_tool.line.has(QStringLiteral("--strict"));
        if (errors > 0 || (strict && warnings > 0)) {
            QString what = counted(errors, "error", "errors");
            if (warnings > 0)
                what += QStringLiteral(", ") + counted(warnings, "warning", "warnings") + (strict ? QStringLiteral(" (errors with --strict)") : QString());
            return stop(kExitRefused, QStringLiteral("%1: %2; nothing written").arg(m_plan, what));
        }
        return true;
    }

    // A plan without rows is no error: the run ends with a warning.
    bool holdsConfigurations()
    {
        if (!m_checked.rows.isEmpty())
            return true;
        m_tool.warn(m_plan + QStringLiteral(": the plan holds no configurations; nothing written"));
        return false;
    }

    // Every image is composed before the first write, as Update Device composes it from the file.
    bool composeImages()
    {
        m_images.reserve(m_checked.rows.size());
        for (const PlanRow &row : m_checked.rows) {
            QByteArray image;
            QString error;
            const QString parGen = parameterFilePathIn(joinPath(m_tool.state.Dir_Projects, row.name));
            if (!composeImage(parameterFileBytes(row.values), parGen, &image, &error))
                return stop(kExitUsage, error);
            m_images << image;
        }
        return true;
    }

    int dryRun()
    {
        printSummary(m_tool.out, m_checked.rows, m_images);
        m_tool.out << QStringLiteral("dry run: %1 to create, %2 to update, nothing written").arg(QString::number(toCreate()), QString::number(toUpdate())) << Qt::endl;
        return kExitOk;
    }

    int writeAll()
    {
        m_tool.makeWorkspace();
        const QList<RowWrite> writes = writeRows(m_tool.state, m_checked.rows, m_images, m_bases);
        printWrittenSummary(writes);
        if (countOutcome(writes, RowWrite::Failed) == 0) {
            m_tool.out << QStringLiteral("%1 created, %2 updated").arg(QString::number(toCreate()), QString::number(toUpdate())) << Qt::endl;
            return kExitOk;
        }
        return reportFailures(writes);
    }

private:
    bool stop(int code, const QString &message)
    {
        exitCode = m_tool.fail(code, message);
        return false;
    }

    qsizetype toCreate() const
    {
        return std::count_if(m_checked.rows.begin(), m_checked.rows.end(), [](const PlanRow &row) { return !row.exists; });
    }

    qsizetype toUpdate() const { return m_checked.rows.size() - toCreate(); }

    void printWrittenSummary(const QList<RowWrite> &writes)
    {
        QList<PlanRow> writtenRows;
        QList<QByteArray> writtenImages;
        for (qsizetype i = 0; i < writes.size(); ++i) {
            if (writes.at(i).outcome == RowWrite::Written) {
                writtenRows << m_checked.rows.at(i);
                writtenImages << m_images.at(i);
            }
        }
        printSummary(m_tool.out, writtenRows, writtenImages);
    }

    // Refused when every failure is another run's lock or change, else a failed write.
    int reportFailures(const QList<RowWrite> &writes)
    {
        m_tool.out.flush();
        int code = kExitRefused;
        for (qsizetype i = 0; i < writes.size(); ++i) {
            const RowWrite &write = writes.at(i);
            if (write.outcome != RowWrite::Failed)
                continue;
            if (write.code != kExitRefused)
                code = kExitUsage;
            const PlanRow &row = m_checked.rows.at(i);
            m_tool.fail(write.code, write.error);
            m_tool.fail(write.code, QStringLiteral("%1:%2 (\"%3\"): %4").arg(m_plan, QString::number(row.line), row.name, write.what));
        }
        const qsizetype written = countOutcome(writes, RowWrite::Written);
        const qsizetype failed = countOutcome(writes, RowWrite::Failed);
        return m_tool.fail(code, QStringLiteral("%1: writing stopped: %2 written (the summary lists them), %3 failed, %4 not written")
                                     .arg(m_plan, counted(written, "configuration", "configurations"),
                                          QString::number(failed), QString::number(writes.size() - written - failed)));
    }

    ToolContext &m_tool;
    const QString m_planPath;
    const QString m_plan; // as the messages name it
    QHash<QString, ParameterValues> m_bases; // each configuration's values when the plan was checked
    CheckedPlan m_checked;
    QList<QByteArray> m_images;
};

} // namespace

int cmdBatch(ToolContext &tool)
{
    tool.expectArguments(1, "one plan file");
    Batch batch(tool, tool.line.arguments.first());
    CsvTable table;
    if (!batch.readPlan(&table) || !batch.checkRows(table) || !batch.holdsConfigurations() || !batch.composeImages())
        return batch.exitCode;
    return tool.line.has(QStringLiteral("--dry-run")) ? batch.dryRun() : batch.writeAll();
}

int cmdExport(ToolContext &tool)
{
    // The two delimiters that batch tells apart by itself.
    QChar delimiter = u',';
    if (tool.line.has(QStringLiteral("--delimiter"))) {
        const QString given = tool.line.value(QStringLiteral("--delimiter"));
        if (given != u"," && given != u";")
            throw UsageError{QStringLiteral("--delimiter is , or ; (quote the ; for the shell: --delimiter ';')")};
        delimiter = given.front();
    }
    QStringList folders;
    if (tool.line.arguments.isEmpty()) {
        tool.expectWorkspace();
        for (const QString &name : Load_Existing_Configuration(tool.state.Dir_Projects))
            folders << joinPath(tool.state.Dir_Projects, name);
    } else {
        for (const QString &project : tool.line.arguments)
            folders << tool.projectFolder(project);
        folders.removeDuplicates();
    }
    QList<std::pair<QString, ParameterValues>> configurations;
    for (const QString &folder : folders) {
        ParameterValues values;
        if (!tool.loadValues(parameterFilePathIn(folder), &values))
            return kExitUsage;
        configurations.append({QFileInfo(folder).fileName(), values});
    }
    const QByteArray bytes = planOf(configurations, tool.state.Text_Table, delimiter);
    if (tool.line.has(QStringLiteral("--output")))
        return tool.writeOutput(tool.line.value(QStringLiteral("--output")), bytes);
    // The bytes as they are, byte-order mark included.
    tool.writeToStandardOutput(bytes);
    return kExitOk;
}
