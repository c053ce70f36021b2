// The configuration commands: new, list, keys, show, set, validate.
#include "tool/Tool.h"

#include "core/AppState.h"
#include "core/ConfigurationLock.h"
#include "core/Constants.h"
#include "core/Paths.h"
#include "core/XmlLookup.h"
#include "params/NetworkRules.h"
#include "params/ParameterFile.h"
#include "params/ParameterText.h"
#include "params/Validation.h"
#include "projects/Configurations.h"

#include <QDir>
#include <QTextStream>

#include <algorithm>

namespace {

// Exit code and message of an assignment that cannot be applied; kExitOk when it was.
int applyAssignment(const ToolContext &tool, ParameterValues &values, const QString &assignment, QString *error)
{
    const qsizetype equals = assignment.indexOf(u'=');
    const QString key = equals < 0 ? assignment : assignment.left(equals);
    const ParameterDef *def = findParameter(key);
    if (!def) {
        *error = unknownWord(QStringLiteral("parameter"), key, parameterKeys(),
                             QStringLiteral("kv40812-tool keys lists them"));
        return kExitUsage;
    }
    if (equals < 0) {
        *error = QStringLiteral("%1: the value is missing (write %1=VALUE)").arg(key);
        return kExitUsage;
    }
    const QString value = assignment.mid(equals + 1);
    const std::optional<QString> stored = storedValueOf(*def, value, tool.state.Text_Table, error);
    if (!stored) {
        *error = def->key + QStringLiteral(": ") + *error;
        // A character no parameter file can hold is a refusal, not a misspelt item.
        return isXmlText(value) ? kExitUsage : kExitRefused;
    }
    values[def->id] = *stored;
    return kExitOk;
}

} // namespace

int createNamedConfiguration(ToolContext &tool, const QString &name)
{
    const NewConfigurationResult verdict = newConfigurationVerdict(tool.state.Dir_Projects, name);
    if (verdict != NewConfigurationResult::Created)
        return tool.fail(kExitRefused, tool.state.text(messageIndex(verdict)));
    for (const QString &warning : portabilityWarnings(tool.state.Dir_Projects, name))
        tool.warn(warning);
    tool.makeWorkspace();
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
    tool.expectWorkspace();
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
    const bool raw = tool.line.has(QStringLiteral("--raw"));
    for (const ParameterDef &def : parameterSet()) {
        const QString &value = values[def.id];
        tool.out << def.key << '=' << (raw ? value : shownValue(def, value, tool.state.Text_Table)) << '\n';
    }
    tool.out.flush();
    return kExitOk;
}

namespace {

QString kindName(ParameterKind kind)
{
    switch (kind) {
    case ParameterKind::Choice:
        return QStringLiteral("choice");
    case ParameterKind::Number:
        return QStringLiteral("number");
    case ParameterKind::Flag:
        return QStringLiteral("flag");
    }
    return QString();
}

// A choice's items with their indices, a number's range as the rules check it, a flag's values.
QString valuesOf(const ParameterDef &def, const TextTable &texts)
{
    if (def.kind == ParameterKind::Flag)
        return QStringLiteral("1 or 0");
    if (def.kind == ParameterKind::Choice) {
        const QStringList items = choiceItems(def, texts);
        QStringList numbered;
        for (qsizetype i = 0; i < items.size(); ++i)
            numbered << QStringLiteral("%1=%2").arg(i).arg(items.at(i));
        return numbered.join(QStringLiteral(", "));
    }
    const std::optional<NumberRange> range = numberRangeOf(def.id);
    if (!range)
        return QStringLiteral("any text (not checked)");
    QString text = QStringLiteral("%1..%2").arg(range->low).arg(range->high);
    if (range->when) {
        const ParameterDef &condition = parameter(range->when->first);
        text += QStringLiteral(" if %1=%2").arg(condition.key, shownValue(condition, range->when->second, texts));
    }
    return text;
}

} // namespace

int cmdKeys(ToolContext &tool)
{
    tool.expectArguments(0, "no arguments");
    const TextTable &texts = tool.state.Text_Table;
    QList<QStringList> rows{{QStringLiteral("Key"), QStringLiteral("Kind"), QStringLiteral("Items or range"),
                             QStringLiteral("Unit"), QStringLiteral("Default"), QStringLiteral("Meaning")}};
    for (const ParameterDef &def : parameterSet())
        rows << QStringList{def.key, kindName(def.kind), valuesOf(def, texts),
                            def.unit.isEmpty() ? QStringLiteral("-") : def.unit,
                            shownValue(def, def.defaultValue, texts), def.meaning};
    printTable(tool.out, rows);
    return kExitOk;
}

int cmdSet(ToolContext &tool)
{
    if (tool.line.arguments.size() < 2)
        throw UsageError{QStringLiteral("set takes a configuration and KEY=VALUE pairs")};
    const QString folder = tool.projectFolder(tool.line.arguments.first());
    const QString path = parameterFilePathIn(folder);
    // Held from reading to saving, so that a change another run saves meanwhile is not lost.
    ConfigurationLock lock(folder);
    QString lockError;
    if (!lock.acquire(&lockError))
        return tool.fail(kExitRefused, lockError);
    ParameterValues values;
    if (!tool.loadValues(path, &values))
        return kExitUsage;
    for (const QString &assignment : tool.line.arguments.mid(1)) {
        QString error;
        if (const int code = applyAssignment(tool, values, assignment, &error); code != kExitOk)
            return tool.fail(code, error);
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
    const QList<NetworkWarning> warnings = networkWarnings(values, tool.state.Text_Table);
    for (const NetworkWarning &warning : warnings)
        tool.warn(warning.message);
    tool.err.flush();
    // The verdict comes last and says what the exit code says.
    if (const std::optional<int> broken = firstBrokenRule(values)) {
        tool.out << tool.state.text(*broken) << Qt::endl;
        return kExitRefused;
    }
    if (tool.line.has(QStringLiteral("--strict")) && !warnings.isEmpty()) {
        tool.out << "Not OK: " << counted(warnings.size(), "warning", "warnings")
                 << (warnings.size() == 1 ? " (an error with --strict)" : " (errors with --strict)") << Qt::endl;
        return kExitRefused;
    }
    tool.out << "OK" << Qt::endl;
    return kExitOk;
}
