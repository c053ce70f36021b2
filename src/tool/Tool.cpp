#include "tool/Tool.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/Names.h"
#include "core/NearestMatch.h"
#include "core/FileIO.h"
#include "core/Paths.h"
#include "core/TextIndex.h"
#include "core/Workspace.h"
#include "i18n/Language.h"
#include "i18n/LanguageList.h"
#include "projects/Configurations.h"
#include "tool/StandardStreams.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>

namespace {

// Every option of the tool once: its name and, for one that takes a value, how --help names it.
struct OptionDef {
    const char *name;
    const char *value; // nullptr: a flag
    const char *what;  // for the options every command takes
};

const OptionDef kOptions[] = {
    {"--workspace", "DIR", "the workspace (default: $KV40812_WORKSPACE, else the configurator's)"},
    {"--language", "NAME", "messages (and the sheet's captions) in LANGUAGE/NAME.lng"},
    {"--help", nullptr, "print this help"},
    {"--version", nullptr, nullptr},
    {"--output", "FILE", nullptr},
    {"--input", "FILE", nullptr},
    {"--ip", "A.B.C.D", nullptr},
    {"--option", "0|1|2", nullptr},
    {"--delimiter", ",|;", nullptr},
    {"--json", nullptr, nullptr},
    {"--read-back", nullptr, nullptr},
    {"--force", nullptr, nullptr},
    {"--dry-run", nullptr, nullptr},
    {"--strict", nullptr, nullptr},
    {"--raw", nullptr, nullptr},
};

// What every command takes besides its own options.
const QStringList kGlobalOptions = {QStringLiteral("--workspace"), QStringLiteral("--language"),
                                    QStringLiteral("--help")};

const char kGeneralNotes[] = R"(Options may stand before or after the command and its arguments; after --,
every word is an argument, even one that begins with --.
PROJECT is the name of a configuration in PROJECTS; an argument with a path
separator (./X too) is the path of a folder instead, or of a file where a command
reads one. new and import take names only.
--language takes the texts of messages and of the report's sheet from one of the
languages in LANGUAGE (NAME in any letter case; a name, not a path).
--output - (or /dev/stdout) prints to standard output; a device or FIFO is written
into as a shell redirection would; a file is replaced whole, a link refused.
--workspace defaults to $KV40812_WORKSPACE, else the tool's own folder when it is
writable, else the per-user data folder; the configurator uses the same one.
Exit codes: 0 done, 1 refused (a rule, a name, a bad image, a plan with errors),
2 wrong usage or a file that cannot be read or written, 3 no answer.
)";

const OptionDef *findOption(const QString &name)
{
    for (const OptionDef &option : kOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

const Command *findCommand(const QString &name)
{
    for (const Command &command : toolCommands()) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

CommandLine parse(const QStringList &arguments)
{
    CommandLine line;
    bool optionsEnded = false; // after "--", a name that begins with "--" is a name
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == u"--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && (arg == u"--help" || arg == u"-h")) {
            line.help = true;
            continue;
        }
        if (optionsEnded || !arg.startsWith(u"--")) {
            if (line.command.isEmpty())
                line.command = arg;
            else
                line.arguments << arg;
            continue;
        }
        if (arg == u"--version") {
            line.version = true;
            continue;
        }
        const qsizetype equals = arg.indexOf(u'=');
        const QString name = equals < 0 ? arg : arg.left(equals);
        const OptionDef *option = findOption(name);
        if (!option) {
            QStringList names;
            for (const OptionDef &known : kOptions)
                names << QLatin1String(known.name);
            throw UsageError{unknownWord(QStringLiteral("option"), name, names, QStringLiteral("try --help"))};
        }
        if (!option->value) {
            if (equals >= 0)
                throw UsageError{name + QStringLiteral(" takes no value")};
            line.options.insert(name, QString());
        } else if (equals >= 0) {
            line.options.insert(name, arg.mid(equals + 1));
        } else if (i + 1 < arguments.size()) {
            line.options.insert(name, arguments.at(++i));
        } else {
            throw UsageError{name + QStringLiteral(" needs a value")};
        }
    }
    return line;
}

// "  NAME  what", the name in a column of `width`; a longer name gets a line of its own.
void printColumns(QTextStream &out, const QString &name, const QString &what, int width)
{
    out << "  " << name;
    if (!what.isEmpty()) {
        if (name.size() + 1 > width)
            out << '\n' << QString(width + 2, u' ');
        else
            out << QString(width - name.size(), u' ');
        out << what;
    }
    out << '\n';
}

QString optionWithValue(const QString &name)
{
    const OptionDef *option = findOption(name);
    return option && option->value ? name + u' ' + QLatin1String(option->value) : name;
}

void printUsage(const ToolContext &tool)
{
    QTextStream &out = tool.out;
    out << "Usage: kv40812-tool [--workspace DIR] [--language NAME] COMMAND [ARGUMENTS] [OPTIONS]\n"
           "       kv40812-tool COMMAND --help     what COMMAND does, its options and an example\n"
           "       kv40812-tool --version\n\nCommands:\n";
    constexpr int kSynopsisWidth = 31;
    for (const Command &command : toolCommands()) {
        const QStringList forms = QString::fromUtf8(command.synopsis).split(u'\n');
        for (qsizetype i = 0; i < forms.size(); ++i)
            printColumns(out, forms.at(i), i == 0 ? QString::fromUtf8(command.summary) : QString(), kSynopsisWidth);
    }
    out << "\nEvery command takes:\n";
    for (const QString &name : kGlobalOptions)
        printColumns(out, optionWithValue(name), QString::fromUtf8(findOption(name)->what), kSynopsisWidth);
    out << '\n' << kGeneralNotes << "The default workspace here: "
        << QDir::toNativeSeparators(resolveWorkspace({QString()}, tool.executableDir)) << Qt::endl;
}

QString capitalised(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

void printCommandHelp(QTextStream &out, const Command &command)
{
    const QStringList forms = QString::fromUtf8(command.synopsis).split(u'\n');
    out << "Usage: kv40812-tool " << forms.join(QStringLiteral("\n       kv40812-tool ")) << "\n\n"
        << capitalised(QString::fromUtf8(command.summary)) << ".\n";
    if (*command.details)
        out << '\n' << QString::fromUtf8(command.details) << '\n';
    out << "\nOptions:\n";
    constexpr int kOptionWidth = 22;
    for (const OptionUse &use : command.options)
        printColumns(out, optionWithValue(QLatin1String(use.option)), QString::fromUtf8(use.what), kOptionWidth);
    for (const QString &name : kGlobalOptions)
        printColumns(out, optionWithValue(name), QString::fromUtf8(findOption(name)->what), kOptionWidth);
    out << "\nExample:\n  " << QString::fromUtf8(command.example) << Qt::endl;
}

// Every option given must be one the command takes.
void checkOptions(const CommandLine &line, const Command &command)
{
    for (auto it = line.options.keyBegin(); it != line.options.keyEnd(); ++it) {
        const QString &option = *it;
        const bool taken = kGlobalOptions.contains(option)
                           || std::any_of(command.options.begin(), command.options.end(),
                                          [&](const OptionUse &use) { return option == QLatin1String(use.option); });
        if (!taken)
            throw UsageError{QStringLiteral("%1 does not take %2 (kv40812-tool %1 --help lists what it takes)")
                                 .arg(line.command, option)};
    }
}

// The texts of messages from the language named by --language.
// The texts of messages from the language named by --language, one of those LANGUAGE holds.
bool loadLanguage(ToolContext &tool, QString *error)
{
    if (!tool.line.has(QStringLiteral("--language")))
        return true;
    const QString name = tool.line.value(QStringLiteral("--language"));
    const std::optional<QString> file = findLanguage(tool.state.Dir_Language, name);
    if (!file) {
        QStringList names;
        for (const QString &held : listLanguageFiles(tool.state.Dir_Language))
            names << languageDisplayName(held);
        *error = QStringLiteral("no language \"%1\" in %2; it holds: %3")
                     .arg(name, QDir::toNativeSeparators(tool.state.Dir_Language),
                          names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", ")));
        return false;
    }
    return Read_Lang_File(tool.state.Text_Table, joinPath(tool.state.Dir_Language, *file), error);
}

void printError(QTextStream &err, const QString &message)
{
    err << "kv40812-tool: " << message << Qt::endl;
}

int dispatch(ToolContext &tool)
{
    const CommandLine &line = tool.line;
    if (line.version) {
        tool.out << kSwVersion << Qt::endl;
        return kExitOk;
    }
    if (line.command.isEmpty()) {
        if (!line.help)
            throw UsageError{QStringLiteral("no command given (try --help)")};
        printUsage(tool);
        return kExitOk;
    }
    const Command *command = findCommand(line.command);
    if (!command) {
        QStringList names;
        for (const Command &known : toolCommands())
            names << QLatin1String(known.name);
        throw UsageError{unknownWord(QStringLiteral("command"), line.command, names, QStringLiteral("try --help"))};
    }
    if (line.help) {
        printCommandHelp(tool.out, *command);
        return kExitOk;
    }
    checkOptions(line, *command);
    QString error;
    if (!loadLanguage(tool, &error))
        return tool.fail(kExitUsage, error);
    return command->handler(tool);
}

} // namespace

QString unknownWord(const QString &what, const QString &word, const QStringList &known, const QString &look)
{
    const QString suggestion = didYouMean(nearestMatches(word, known));
    return QStringLiteral("unknown %1 \"%2\"; %3").arg(what, word, suggestion.isEmpty() ? look : suggestion);
}

void printTable(QTextStream &out, const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const QStringList &row : rows) {
        widths.resize(std::max(widths.size(), row.size()), 0);
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row.at(c).size());
    }
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? row.at(c).leftJustified(widths[c] + 2) : row.at(c);
        out << line << '\n';
    }
}

QString counted(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromLatin1(count == 1 ? one : many));
}

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

namespace {
bool isPathArgument(const QString &argument)
{
    return argument.contains(u'/') || argument.contains(QDir::separator());
}
} // namespace

QString ToolContext::projectFolder(const QString &argument) const
{
    if (isPathArgument(argument)) {
        if (!QFileInfo(argument).isDir())
            throw UsageError{QStringLiteral("no such folder: ") + QDir::toNativeSeparators(argument)};
        return QDir::toNativeSeparators(QDir(argument).absolutePath());
    }
    if (argument.isEmpty())
        throw Refusal{state.text(Txt::ErrNameEmpty)};
    if (!isPlainName(argument))
        throw Refusal{state.text(Txt::ErrNameNotCreatable)};
    const QString folder = joinPath(state.Dir_Projects, argument);
    if (!isConfigurationFolder(state.Dir_Projects, argument))
        throw UsageError{QStringLiteral("no configuration \"%1\" in %2")
                             .arg(argument, QDir::toNativeSeparators(state.Dir_Projects))};
    return folder;
}

QString ToolContext::parameterFileOf(const QString &argument) const
{
    if (isPathArgument(argument) && QFileInfo(argument).isFile())
        return argument;
    return parameterFilePathIn(projectFolder(argument));
}

bool ToolContext::loadValues(const QString &path, ParameterValues *values)
{
    QString error;
    if (loadParameterFile(path, values, &error))
        return true;
    fail(kExitUsage, error);
    return false;
}

int ToolContext::writeOutput(const QString &output, const QByteArray &bytes)
{
    if (output == u"-" || output == u"/dev/stdout") {
        writeToStandardOutput(bytes);
        return kExitOk;
    }
    const QFileInfo target(output);
    if (target.exists() && !target.isFile() && !target.isDir()) {
        // A device or a pipe takes the bytes; replacing it by a file would break it for everyone.
        QFile file(output);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
            return fail(kExitUsage, QDir::toNativeSeparators(output) + QStringLiteral(": ") + file.errorString());
    } else if (QString error; !writeFileAtomic(output, bytes, &error)) {
        return fail(kExitUsage, error);
    }
    out << QDir::toNativeSeparators(output) << Qt::endl;
    return kExitOk;
}

void ToolContext::writeToStandardOutput(const QByteArray &bytes)
{
    out.flush();
    if (QIODevice *device = out.device()) {
        device->write(bytes);
        // Out at once: nothing is left in the file's own buffer for the end of the run.
        if (auto *file = qobject_cast<QFileDevice *>(device))
            file->flush();
    } else
        out << QString::fromUtf8(bytes);
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
    } catch (const Refusal &refusal) {
        printError(err, refusal.message);
        return kExitRefused;
    }
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The same per-user workspace as the configurator's, where its own folder is read-only.
    QCoreApplication::setApplicationName(QStringLiteral("kv40812"));
    StandardStreams streams;
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int code = runTool(QCoreApplication::arguments().mid(1), QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    return streams.finish(code);
}
