// The fleet commands: batch, export.
#include "tool/Tool.h"

#include "core/AppState.h"
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
    QList<qsizetype> widths(table.first().size(), 0);
    for (const QStringList &line : table) {
        for (qsizetype c = 0; c < line.size(); ++c)
            widths[c] = std::max(widths[c], line.at(c).size());
    }
    for (const QStringList &line : table) {
        QString text;
        for (qsizetype c = 0; c < line.size(); ++c)
            text += c + 1 < line.size() ? line.at(c).leftJustified(widths[c] + 2) : line.at(c);
        out << text << '\n';
    }
}

struct RowWrite {
    enum Outcome { NotStarted, Written, Failed } outcome = NotStarted;
    QString error; // the file system's message
    QString what;  // what of the configuration was written when it failed
};

RowWrite writeRow(const AppState &state, const PlanRow &row, const QByteArray &image)
{
    RowWrite write;
    write.outcome = RowWrite::Failed;
    const QString folder = joinPath(state.Dir_Projects, row.name);
    if (!row.exists) {
        const NewConfigurationResult created = createConfiguration(state.Dir_Projects, row.name);
        if (created != NewConfigurationResult::Created) {
            write.error = QDir::toNativeSeparators(folder) + QStringLiteral(": ") + state.text(messageIndex(created));
            write.what = QStringLiteral("its folder could not be created");
            return write;
        }
    } else {
        QDir().mkpath(joinPath(folder, kBinFolder)); // a configuration's image lives there
    }
    if (!saveParameterFile(parameterFilePathIn(folder), row.values, &write.error)) {
        write.what = row.exists ? QStringLiteral("it was left as it was")
                                : QStringLiteral("its folder was created, its files were not");
        return write;
    }
    if (!writeFileAtomic(imageFilePathIn(folder), image, &write.error)) {
        write.what = QStringLiteral("its ParGen.xml was written, its image was not");
        return write;
    }
    write.outcome = RowWrite::Written;
    return write;
}

// Writes the rows on several threads: every atomic save waits for the disk, and saves that wait
// together share the file system's journal commits, several times faster than one by one. After
// a failure no further row starts; the rows already under way finish.
QList<RowWrite> writeRows(const AppState &state, const QList<PlanRow> &rows, const QList<QByteArray> &images)
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
        outcome[i] = writeRow(state, rows.at(i), images.at(i));
        if (outcome[i].outcome == RowWrite::Failed)
            failed = true;
    });
    return writes;
}

QString counted(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromLatin1(count == 1 ? one : many));
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
        m_checked = checkPlan(table, workspaceOf(m_tool.state), m_tool.state.Text_Table);
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

    // Every image is composed before the first write, from the values the row's ParGen.xml will
    // hold: the bytes Update Device composes from that file.
    bool composeImages()
    {
        m_images.reserve(m_checked.rows.size());
        for (const PlanRow &row : m_checked.rows) {
            QByteArray image;
            QString error;
            const QString parGen = parameterFilePathIn(joinPath(m_tool.state.Dir_Projects, row.name));
            if (!composeImage(row.values, parGen, &image, &error))
                return stop(kExitUsage, error);
            m_images << image;
        }
        return true;
    }

    int dryRun()
    {
        printSummary(m_tool.out, m_checked.rows, m_images);
        m_tool.out << QStringLiteral("dry run: %1 to create, %2 to update, nothing written").arg(toCreate()).arg(toUpdate()) << Qt::endl;
        return kExitOk;
    }

    int writeAll()
    {
        m_tool.makeWorkspace();
        const QList<RowWrite> writes = writeRows(m_tool.state, m_checked.rows, m_images);
        printWrittenSummary(writes);
        if (countOutcome(writes, RowWrite::Failed) == 0) {
            m_tool.out << QStringLiteral("%1 created, %2 updated").arg(toCreate()).arg(toUpdate()) << Qt::endl;
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

    int reportFailures(const QList<RowWrite> &writes)
    {
        m_tool.out.flush();
        for (qsizetype i = 0; i < writes.size(); ++i) {
            if (writes.at(i).outcome != RowWrite::Failed)
                continue;
            m_tool.fail(kExitUsage, writes.at(i).error);
            m_tool.fail(kExitUsage, QStringLiteral("%1:%2 (\"%3\"): %4").arg(m_plan).arg(m_checked.rows.at(i).line).arg(m_checked.rows.at(i).name, writes.at(i).what));
        }
        const qsizetype written = countOutcome(writes, RowWrite::Written);
        const qsizetype failed = countOutcome(writes, RowWrite::Failed);
        return m_tool.fail(kExitUsage, QStringLiteral("%1: writing stopped: %2 written (the summary lists them), %3 failed, %4 not written")
                                           .arg(m_plan, counted(written, "configuration", "configurations"))
                                           .arg(failed)
                                           .arg(writes.size() - written - failed));
    }

    ToolContext &m_tool;
    const QString m_planPath;
    const QString m_plan; // as the messages name it
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
    const QByteArray bytes = planOf(configurations);
    if (tool.line.has(QStringLiteral("--output"))) {
        const QString output = tool.line.value(QStringLiteral("--output"));
        QString error;
        if (!writeFileAtomic(output, bytes, &error))
            return tool.fail(kExitUsage, error);
        tool.out << QDir::toNativeSeparators(output) << Qt::endl;
        return kExitOk;
    }
    // The bytes as they are, byte-order mark included.
    tool.out.flush();
    if (tool.out.device())
        tool.out.device()->write(bytes);
    else
        tool.out << QString::fromUtf8(bytes);
    return kExitOk;
}
