// The report command: a commissioning sheet of configurations.
#include "tool/Tool.h"

#include "core/AppState.h"
#include "core/FileIO.h"
#include "core/Paths.h"
#include "params/CommissioningSheet.h"
#include "params/NetworkRules.h"
#include "params/Validation.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

// The network sanity warnings of a parameter set, one text each.
QStringList networkWarningTexts(const ParameterValues &values, const TextTable &texts)
{
    QStringList messages;
    for (const NetworkWarning &warning : networkWarnings(values, texts))
        messages << warning.message;
    return messages;
}

} // namespace

int cmdReport(ToolContext &tool)
{
    if (tool.line.arguments.isEmpty())
        throw UsageError{QStringLiteral("report takes one or more configurations")};
    QList<SheetSection> sections;
    for (const QString &project : tool.line.arguments) {
        const QString folder = tool.projectFolder(project);
        const QString parGen = parameterFilePathIn(folder);
        SheetSection section;
        section.name = QFileInfo(folder).fileName();
        section.date = QDate::currentDate();
        section.hasParameterFile = QFileInfo::exists(parGen);
        if (!tool.loadValues(parGen, &section.values))
            return kExitUsage;
        section.brokenRule = firstBrokenRule(section.values);
        section.networkWarnings = networkWarningTexts(section.values, tool.state.Text_Table);
        section.image = sheetImageOf(folder);
        sections << section;
    }
    const QString html = commissioningSheet(sections, tool.state.Text_Table);
    const QString output = tool.line.value(QStringLiteral("--output"));
    if (output.isEmpty()) {
        tool.out << html;
        return kExitOk;
    }
    return tool.writeOutput(output, html.toUtf8());
}
