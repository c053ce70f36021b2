// The fleet commands: batch, export.
#include "tool/Tool.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/Csv.h"
#include "core/FileIO.h"
#include "params/ConfigImage.h"
#include "params/FleetPlan.h"
#include "params/ParameterFile.h"
#include "projects/Configurations.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>

namespace {

// The workspace's configurations as the editor loads them, and the New Configuration rules.
PlanWorkspace workspaceOf(const AppState &state)
{
    PlanWorkspace workspace;
    for (const QString &name : Load_Existing_Configuration(state.Dir_Projects)) {
        PlanWorkspace::Configuration configuration{name, {}, {}};
        loadParameterFile(joinPath(joinPath(state.Dir_Projects, name), kParGenFile), &configuration.values,
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
        const quint8 *ip = image.IP_Address;
        const PortBlock &serial = (image.Serial_Flags & 1) ? image.RS232_Port : image.Serial_RS485_Port;
        table << QStringList{rows.at(i).name,
                             QStringLiteral("%1.%2.%3.%4").arg(ip[0]).arg(ip[1]).arg(ip[2]).arg(ip[3]),
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

QString counted(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromLatin1(count == 1 ? one : many));
}

} // namespace

int cmdBatch(ToolContext &tool)
{
    tool.expectArguments(1, "one plan file");
    const QString planPath = tool.line.arguments.first();
    const QString plan = QDir::toNativeSeparators(planPath);
    QByteArray data;
    QString error;
    if (!readWholeFile(planPath, &data, &error))
        return tool.fail(kExitUsage, error);
    CsvTable table;
    CsvError csvError;
    if (!readCsv(data, &table, &csvError)) {
        printProblems(tool.err, plan, {{csvError.line, QString(), csvError.message}});
        return tool.fail(kExitRefused, plan + QStringLiteral(": nothing written"));
    }

    const CheckedPlan checked = checkPlan(table, workspaceOf(tool.state), tool.state.Text_Table);
    printProblems(tool.err, plan, checked.problems);
    const int errors = checked.count(false);
    const int warnings = checked.count(true);
    const bool strict = tool.line.has(QStringLiteral("--strict"));
    if (errors > 0 || (strict && warnings > 0)) {
        QString what = counted(errors, "error", "errors");
        if (warnings > 0)
            what += QStringLiteral(", ") + counted(warnings, "warning", "warnings") + (strict ? QStringLiteral(" (errors with --strict)") : QString());
        return tool.fail(kExitRefused, QStringLiteral("%1: %2; nothing written").arg(plan, what));
    }
    if (checked.rows.isEmpty()) {
        tool.warn(plan + QStringLiteral(": the plan holds no configurations; nothing written"));
        return kExitOk;
    }

    // Every image is composed before the first write, as Update Device composes it from the file.
    QList<QByteArray> images;
    images.reserve(checked.rows.size());
    for (const PlanRow &row : checked.rows) {
        QByteArray image;
        const QString parGen = joinPath(joinPath(tool.state.Dir_Projects, row.name), kParGenFile);
        if (!composeImage(parameterFileBytes(row.values), parGen, &image, &error))
            return tool.fail(kExitUsage, error);
        images << image;
    }
    const qsizetype toCreate = std::count_if(checked.rows.begin(), checked.rows.end(), [](const PlanRow &row) { return !row.exists; });
    const QString changes = QStringLiteral("%1 to create, %2 to update").arg(toCreate).arg(checked.rows.size() - toCreate);

    if (tool.line.has(QStringLiteral("--dry-run"))) {
        printSummary(tool.out, checked.rows, images);
        tool.out << "dry run: " << changes << ", nothing written" << Qt::endl;
        return kExitOk;
    }

    tool.makeWorkspace();
    for (qsizetype i = 0; i < checked.rows.size(); ++i) {
        const PlanRow &row = checked.rows.at(i);
        const QString folder = joinPath(tool.state.Dir_Projects, row.name);
        QString stopped;
        if (!row.exists) {
            const NewConfigurationResult created = createConfiguration(tool.state.Dir_Projects, row.name);
            if (created != NewConfigurationResult::Created) {
                error = QDir::toNativeSeparators(folder) + QStringLiteral(": ") + tool.state.text(messageIndex(created));
                stopped = QStringLiteral("its folder could not be created");
            }
        } else {
            QDir().mkpath(joinPath(folder, kBinFolder)); // a configuration's image lives there
        }
        if (stopped.isEmpty() && !saveParameterFile(joinPath(folder, kParGenFile), row.values, &error))
            stopped = row.exists ? QStringLiteral("it was left as it was") : QStringLiteral("its folder was created, its files were not");
        if (stopped.isEmpty() && !writeFileAtomic(imageFilePathIn(folder), images.at(i), &error))
            stopped = QStringLiteral("its ParGen.xml was written, its image was not");
        if (!stopped.isEmpty()) {
            printSummary(tool.out, checked.rows.mid(0, i), images);
            tool.out.flush();
            tool.fail(kExitUsage, error);
            return tool.fail(kExitUsage, QStringLiteral("stopped at %1:%2 (\"%3\"): %4; %5 before it written, %6 after it not")
                                             .arg(plan)
                                             .arg(row.line)
                                             .arg(row.name, stopped, counted(i, "configuration", "configurations"))
                                             .arg(checked.rows.size() - i - 1));
        }
    }
    printSummary(tool.out, checked.rows, images);
    tool.out << QStringLiteral("%1 created, %2 updated").arg(toCreate).arg(checked.rows.size() - toCreate) << Qt::endl;
    return kExitOk;
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
        if (!tool.loadValues(joinPath(folder, kParGenFile), &values))
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
