// The configuration commands: new, list, show, set, validate.
#include "tool/Tool.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/IntegerConversion.h"
#include "core/Workspace.h"
#include "params/ParameterFile.h"
#include "params/Validation.h"
#include "projects/Configurations.h"

#include <QDir>
#include <QTextStream>

namespace {

bool applyAssignment(const ToolContext &tool, ParameterValues &values, const QString &assignment, QString *error)
{
    const qsizetype equals = assignment.indexOf(u'=');
    const ParameterDef *def = equals > 0 ? findParameter(assignment.left(equals)) : nullptr;
    if (!def) {
        QStringList keys;
        for (const ParameterDef &p : parameterSet())
            keys << p.key;
        *error = QStringLiteral("unknown parameter \"%1\"; the parameters are: %2")
                     .arg(assignment.left(equals), keys.join(QStringLiteral(", ")));
        return false;
    }
    const QString value = assignment.mid(equals + 1);
    switch (def->kind) {
    case ParameterKind::Number:
        values[def->id] = value;
        return true;
    case ParameterKind::Flag:
        if (value != u"0" && value != u"1") {
            *error = QStringLiteral("%1 is a flag: 1 or 0").arg(def->key);
            return false;
        }
        values[def->id] = value;
        return true;
    case ParameterKind::Choice: {
        const QStringList items = choiceItems(*def, tool.state.Text_Table);
        qsizetype index = items.indexOf(value);
        if (index < 0) {
            const std::optional<qint32> number = toInteger(value);
            if (number && *number >= 0 && *number < items.size())
                index = *number;
        }
        if (index < 0) {
            QStringList choices;
            for (qsizetype i = 0; i < items.size(); ++i)
                choices << QStringLiteral("%1 (%2)").arg(i).arg(items.at(i));
            *error = QStringLiteral("%1 takes one of: %2").arg(def->key, choices.join(QStringLiteral(", ")));
            return false;
        }
        values[def->id] = QString::number(index);
        return true;
    }
    }
    return false;
}

} // namespace

int createNamedConfiguration(ToolContext &tool, const QString &name)
{
    QDir().mkpath(tool.state.Dir_Exe); // a new workspace, as the configurator makes it
    createWorkspaceFolders(tool.state);
    QString copyError;
    if (!copyShippedLanguages(shippedLanguagesFolder(tool.executableDir), tool.state.Dir_Language, &copyError))
        tool.err << "kv40812-tool: warning: " << copyError << Qt::endl;
    const NewConfigurationResult result = createConfiguration(tool.state.Dir_Projects, name);
    if (result != NewConfigurationResult::Created)
        return tool.fail(kExitRefused, tool.state.text(messageIndex(result)));
    return kExitOk;
}

int cmdNew(ToolContext &tool)
{
    tool.expectArguments(1, "one configuration name");
    const QString name = tool.line.arguments.first();
    if (const int code = createNamedConfiguration(tool, name); code != kExitOk)
        return code;
    tool.out << QDir::toNativeSeparators(joinPath(tool.state.Dir_Projects, name)) << Qt::endl;
    return kExitOk;
}

int cmdList(ToolContext &tool)
{
    tool.expectArguments(0, "no arguments");
    for (const QString &name : Load_Existing_Configuration(tool.state.Dir_Projects))
        tool.out << name << Qt::endl;
    return kExitOk;
}

int cmdShow(ToolContext &tool)
{
    tool.expectArguments(1, "one configuration");
    ParameterValues values;
    if (!tool.loadValues(tool.parameterFileOf(tool.line.arguments.first()), &values))
        return kExitUsage;
    for (const ParameterDef &def : parameterSet())
        tool.out << def.key << '=' << values[def.id] << Qt::endl;
    return kExitOk;
}

int cmdSet(ToolContext &tool)
{
    if (tool.line.arguments.size() < 2)
        throw UsageError{QStringLiteral("set takes a configuration and KEY=VALUE pairs")};
    const QString path = joinPath(tool.projectFolder(tool.line.arguments.first()), kParGenFile);
    ParameterValues values;
    if (!tool.loadValues(path, &values))
        return kExitUsage;
    for (const QString &assignment : tool.line.arguments.mid(1)) {
        QString error;
        if (!applyAssignment(tool, values, assignment, &error))
            return tool.fail(kExitUsage, error);
    }
    if (const std::optional<int> broken = firstBrokenRule(values))
        return tool.fail(kExitRefused, tool.state.text(*broken));
    QString error;
    if (!saveParameterFile(path, values, &error))
        return tool.fail(kExitUsage, error);
    return kExitOk;
}

int cmdValidate(ToolContext &tool)
{
    tool.expectArguments(1, "one configuration or parameter file");
    ParameterValues values;
    if (!tool.loadValues(tool.parameterFileOf(tool.line.arguments.first()), &values))
        return kExitUsage;
    if (const std::optional<int> broken = firstBrokenRule(values)) {
        tool.out << tool.state.text(*broken) << Qt::endl;
        return kExitRefused;
    }
    tool.out << "OK" << Qt::endl;
    return kExitOk;
}
