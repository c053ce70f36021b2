#include "tool/Tool.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/Paths.h"
#include "core/Workspace.h"
#include "i18n/Language.h"
#include "projects/Configurations.h"
#include "tool/StandardStreams.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <map>

namespace {

const char kUsage[] = R"(Usage: kv40812-tool [--workspace DIR] [--language NAME] COMMAND [ARGUMENTS]

Commands:
  new NAME                       create a configuration under PROJECTS
  list                           print the configurations, one a line
  show PROJECT                   print the 33 parameters as KEY=VALUE
  set PROJECT KEY=VALUE...       change parameters, check them and save
  validate PROJECT|FILE [--strict]
                                 check a configuration's parameters, warn of odd
                                 addresses (--strict: a warning fails too)
  image PROJECT [--output FILE]  compose the configuration image (default PROJECT/bin/bank.bin)
  image --input FILE --output FILE
                                 compose the image of a loose parameter file
  inspect IMAGE [--json]         decode and check a configuration image
  job PROJECT --ip A.B.C.D --option 0|1|2 [--read-back]
                                 write the update job Ethernet_Update.xml
  texts                          print the text table as a language file
  check-version                  ask the maker's server for a newer version:
                                 newer, not newer, or unknown: REASON (exit 3)
  batch PLAN.csv [--dry-run] [--strict]
                                 create or update configurations from a plan
  export [PROJECT...] [--output FILE]
                                 write configurations as a plan for batch
  import IMAGE PROJECT [--force] recover PROJECT's ParGen.xml from an image
                                 (PROJECT is created when missing; --force
                                 replaces an existing ParGen.xml)
  diff A B                       print KEY: A-value -> B-value for each
                                 parameter that differs; A and B are
                                 configurations, ParGen.xml files or images;
                                 exit 0 same, 1 different, 2 unreadable
  report PROJECT... [--output FILE]
                                 write a commissioning sheet (one HTML page)
                                 of the configurations, to stdout or FILE

job --option: 0 firmware and configuration, 1 firmware, 2 configuration. Options
0 and 2 send PROJECT/bin/bank.bin, which image composes: run image first.

A plan is CSV text, comma- or semicolon-delimited, in UTF-8. Its first row names
the columns: Name, and any of the 33 parameter keys as ParGen.xml names them (show
lists them), in any order. Each further row is one configuration: the one of that
name is updated, or a new one is created. A cell holds a value as set takes it:
an item text or index for a choice, 1 or 0 for a flag, the text for a number. An
empty cell keeps the value (a new configuration's default); "" sets an empty text.
The whole plan is checked first and nothing is written if anything is wrong.
Odd addresses (see validate) are warnings; --strict makes them errors.

Options may stand before or after the command and its arguments.
PROJECT is a configuration's name in the workspace, or the path of its folder.
--language takes the texts of messages (and of the sheet's captions) from
LANGUAGE/NAME.lng.
--workspace defaults to $KV40812_WORKSPACE, else the tool's own folder when it is
writable, else the per-user data folder; the configurator uses the same one.
Exit codes: 0 done, 1 refused (a rule, a name, a bad image, a plan with errors),
2 wrong usage or a file that cannot be read or written, 3 no answer.

import writes the parameter set whose file composes back to the image, byte for
byte, and refuses an image that no parameter file gives. Where the image holds
no value, it takes what the editor shows for a new configuration:
  - the initial image (no parameter file composes it): no ParGen.xml at all;
  - gateway 255.255.255.255: gateway off, numbers 192.168.0.1;
  - byte counter register -1: byte counter off, register 1;
  - wait time 0: wait time off, 20 ms;
  - both ports on RS232: the serial baud rate is 115200, and the serial parity
    NONE, or ODD where 7 data bits without the second stop bit need a parity;
  - a baud rate of 9600 is its list item; send type "Fix Num Bytes" for flag 8.
Numbers are written in decimal as the image holds them (address bytes 0 to
255, 16-bit fields signed), parities outside the list as they are; a serial
parity of 0 beside 7 data bits and one stop bit is written 65536.
diff reads an image as import does; against an image, a file side counts as
the image it composes, and what an image does not hold is no difference.
)";

const QStringList kOptionsWithValue = {QStringLiteral("--workspace"), QStringLiteral("--language"),
                                       QStringLiteral("--output"), QStringLiteral("--input"),
                                       QStringLiteral("--ip"), QStringLiteral("--option")};
const QStringList kFlags = {QStringLiteral("--json"), QStringLiteral("--read-back"), QStringLiteral("--help"),
                            QStringLiteral("-h"), QStringLiteral("--force"), QStringLiteral("--dry-run"),
                            QStringLiteral("--strict")};

CommandLine parse(const QStringList &arguments)
{
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == u"--help" || arg == u"-h") {
            line.help = true;
        } else if (kOptionsWithValue.contains(arg)) {
            if (i + 1 >= arguments.size())
                throw UsageError{arg + QStringLiteral(" needs a value")};
            line.options.insert(arg, arguments.at(++i));
        } else if (kFlags.contains(arg)) {
            line.options.insert(arg, QString());
        } else if (arg.startsWith(u"--") && arg.contains(u'=')
                   && kOptionsWithValue.contains(arg.left(arg.indexOf(u'=')))) {
            line.options.insert(arg.left(arg.indexOf(u'=')), arg.mid(arg.indexOf(u'=') + 1));
        } else if (arg.startsWith(u"--")) {
            throw UsageError{QStringLiteral("unknown option ") + arg};
        } else if (line.command.isEmpty()) {
            line.command = arg;
        } else {
            line.arguments << arg;
        }
    }
    return line;
}

// The texts of messages from the language named by --language.
bool loadLanguage(ToolContext &tool, QString *error)
{
    if (!tool.line.has(QStringLiteral("--language")))
        return true;
    const QString path = languageFilePath(tool.state, tool.line.value(QStringLiteral("--language")));
    if (!QFileInfo(path).isFile()) {
        *error = QDir::toNativeSeparators(path) + QStringLiteral(": no such language file");
        return false;
    }
    return Read_Lang_File(tool.state.Text_Table, path, error);
}

void printError(QTextStream &err, const QString &message)
{
    err << "kv40812-tool: " << message << Qt::endl;
}

int dispatch(ToolContext &tool)
{
    const std::map<QString, std::function<int(ToolContext &)>> commands = {
        {QStringLiteral("new"), cmdNew},
        {QStringLiteral("list"), cmdList},
        {QStringLiteral("show"), cmdShow},
        {QStringLiteral("set"), cmdSet},
        {QStringLiteral("validate"), cmdValidate},
        {QStringLiteral("image"), cmdImage},
        {QStringLiteral("inspect"), cmdInspect},
        {QStringLiteral("job"), cmdJob},
        {QStringLiteral("check-version"), cmdCheckVersion},
        {QStringLiteral("texts"), cmdTexts},
        {QStringLiteral("batch"), cmdBatch},
        {QStringLiteral("export"), cmdExport},
        {QStringLiteral("import"), cmdImport},
        {QStringLiteral("diff"), cmdDiff},
        {QStringLiteral("report"), cmdReport},
    };
    if (tool.line.help) {
        tool.out << kUsage << "The default workspace here: "
                 << QDir::toNativeSeparators(resolveWorkspace({QString()}, tool.executableDir)) << Qt::endl;
        return kExitOk;
    }
    if (tool.line.command.isEmpty())
        throw UsageError{QStringLiteral("no command given (try --help)")};
    const auto command = commands.find(tool.line.command);
    if (command == commands.end())
        throw UsageError{QStringLiteral("unknown command \"%1\" (try --help)").arg(tool.line.command)};
    QString error;
    if (!loadLanguage(tool, &error))
        return tool.fail(kExitUsage, error);
    return command->second(tool);
}

} // namespace

int ToolContext::fail(int code, const QString &message)
{
    printError(err, message);
    return code;
}

void ToolContext::warn(const QString &message)
{
    printError(err, QStringLiteral("warning: ") + message);
}

void ToolContext::expectWorkspace() const
{
    if (!QFileInfo(state.Dir_Projects).isDir())
        throw UsageError{QStringLiteral("no workspace at %1: it has no %2 folder")
                             .arg(QDir::toNativeSeparators(state.Dir_Exe), kProjectsFolder)};
}

void ToolContext::makeWorkspace()
{
    QDir().mkpath(state.Dir_Exe);
    createWorkspaceFolders(state);
    QString error;
    if (!copyShippedLanguages(shippedLanguagesFolder(executableDir), state.Dir_Language, &error))
        warn(error);
}

void ToolContext::expectArguments(qsizetype count, const char *what) const
{
    if (line.arguments.size() != count)
        throw UsageError{QStringLiteral("%1 takes %2").arg(line.command, QString::fromLatin1(what))};
}

QString ToolContext::projectFolder(const QString &project) const
{
    const QString inWorkspace = joinPath(state.Dir_Projects, project);
    if (isSafeConfigurationName(project) && QFileInfo(inWorkspace).isDir())
        return inWorkspace;
    if (QFileInfo(project).isDir())
        return QDir::toNativeSeparators(QDir(project).absolutePath());
    throw UsageError{QStringLiteral("no configuration \"%1\" in %2 and no such folder")
                         .arg(project, QDir::toNativeSeparators(state.Dir_Projects))};
}

QString ToolContext::parameterFileOf(const QString &projectOrFile) const
{
    if (QFileInfo(projectOrFile).isFile())
        return projectOrFile;
    return parameterFilePathIn(projectFolder(projectOrFile));
}

bool ToolContext::loadValues(const QString &path, ParameterValues *values)
{
    QString error;
    if (loadParameterFile(path, values, &error))
        return true;
    fail(kExitUsage, error);
    return false;
}

int runTool(const QStringList &arguments, const QString &executableDir, QTextStream &out, QTextStream &err)
{
    try {
        const CommandLine line = parse(arguments);
        ToolContext tool{line, out, err, AppState(), executableDir};
        QStringList forResolve{QString()};
        if (line.has(QStringLiteral("--workspace")))
            forResolve << QStringLiteral("--workspace") << line.value(QStringLiteral("--workspace"));
        setWorkspace(tool.state, resolveWorkspace(forResolve, executableDir));
        Set_Default_Lang(tool.state.Text_Table);
        return dispatch(tool);
    } catch (const UsageError &usage) {
        printError(err, usage.message);
        return kExitUsage;
    }
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The same per-user workspace as the configurator's, where its own folder is read-only.
    QCoreApplication::setApplicationName(QStringLiteral("kv40812"));
    const StandardStreams streams;
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int code = runTool(QCoreApplication::arguments().mid(1), QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    return code;
}
