#pragma once

#include "core/AppState.h"
#include "params/ParameterFile.h"

#include <QMap>
#include <QString>
#include <QStringList>

class QTextStream;

// Exit codes of the command-line tool.
enum ToolExit {
    kExitOk = 0,
    kExitRefused = 1, // a refusal the user can correct: a rule, a name, a bad image
    kExitUsage = 2,   // wrong usage, or a file that cannot be read or written
    kExitUnknown = 3, // no answer to a question that needs one (check-version)
};

// Wrong usage; the dispatcher prints it and ends with kExitUsage.
struct UsageError {
    QString message;
};

// A refusal found deep in a command (a name that is no configuration); the dispatcher prints it
// and ends with kExitRefused.
struct Refusal {
    QString message;
};

// A command line split into its command, its plain arguments and its options.
struct CommandLine {
    QString command;
    QStringList arguments;
    QMap<QString, QString> options; // "--ip" -> "127.0.0.1"; flags map to an empty text
    bool help = false;
    bool version = false;

    bool has(const QString &option) const { return options.contains(option); }
    QString value(const QString &option) const { return options.value(option); }
};

// What every command works with: its command line, the workspace's state and the two streams.
struct ToolContext {
    const CommandLine &line;
    QTextStream &out;
    QTextStream &err;
    AppState state;
    QString executableDir;

    // Prints "kv40812-tool: message" on stderr and returns the exit code.
    int fail(int code, const QString &message);
    // Prints "kv40812-tool: warning: message" on stderr.
    void warn(const QString &message);
    // Throws a UsageError unless the workspace has its PROJECTS folder (a mistyped --workspace).
    void expectWorkspace() const;
    // Creates the workspace's folders and its shipped languages where missing, as the configurator does.
    void makeWorkspace();
    // Throws a UsageError unless the command got exactly `count` plain arguments.
    void expectArguments(qsizetype count, const char *what) const;
    // The one reading of a configuration argument: without a path separator it is the name of a
    // configuration in PROJECTS, with one ("./X" too) the path of a folder. Throws a Refusal for a
    // name the New rules refuse, a UsageError for a configuration or folder that is not there.
    QString projectFolder(const QString &argument) const;
    // A configuration's ParGen.xml; a path (as above) that names a file is a parameter file.
    QString parameterFileOf(const QString &argument) const;
    // Loads as the editor does; a file that cannot be read or parsed is reported, not replaced.
    bool loadValues(const QString &path, ParameterValues *values);
    // Puts a command's result where --output names it, and says where (on standard output, unless
    // that is where it went): "-" and /dev/stdout are standard output, a device, a FIFO or a socket
    // is written into as a shell redirection would, any other path is saved as a file. Returns the
    // exit code.
    int writeOutput(const QString &output, const QByteArray &bytes);
    // Writes bytes to standard output as they are (a byte-order mark too).
    void writeToStandardOutput(const QByteArray &bytes);
};

// An option a command takes, and what it does there.
struct OptionUse {
    const char *option;
    const char *what;
};

// One command of the tool, declared once: the usage text, COMMAND --help, the dispatcher and
// the option checks all come from here.
struct Command {
    const char *name;
    const char *synopsis; // one line per form of the command
    const char *summary;
    QList<OptionUse> options; // besides the options every command takes
    const char *example;
    const char *details;  // what COMMAND --help adds; may be empty
    int (*handler)(ToolContext &tool);
};

// Every command, in the order --help lists them.
const QList<Command> &toolCommands();

// The commands, by theme; each returns the exit code.
int cmdNew(ToolContext &tool);
int cmdKeys(ToolContext &tool);
int cmdList(ToolContext &tool);
int cmdShow(ToolContext &tool);
int cmdSet(ToolContext &tool);
int cmdValidate(ToolContext &tool);
int cmdImage(ToolContext &tool);
int cmdInspect(ToolContext &tool);
int cmdJob(ToolContext &tool);
int cmdCheckVersion(ToolContext &tool);
int cmdTexts(ToolContext &tool);
int cmdImport(ToolContext &tool);
int cmdDiff(ToolContext &tool);
int cmdReport(ToolContext &tool);
int cmdBatch(ToolContext &tool);
int cmdExport(ToolContext &tool);

// "unknown WHAT "word"; did you mean ...?", or `look` (where to find the known words) when none is near.
QString unknownWord(const QString &what, const QString &word, const QStringList &known, const QString &look);

// Prints rows as columns padded to their widest cell (the last one is not padded).
void printTable(QTextStream &out, const QList<QStringList> &rows);

// "1 warning", "2 warnings".
QString counted(qsizetype count, const char *one, const char *many);

// Creates the configuration `name` under PROJECTS as new does, in a workspace made on demand,
// and warns of a name that will not travel to Windows or macOS. A refused name makes nothing,
// not even the workspace: the dialog's message is printed and its exit code returned.
int createNamedConfiguration(ToolContext &tool, const QString &name);

// Runs one command line (arguments without the program name).
int runTool(const QStringList &arguments, const QString &executableDir, QTextStream &out, QTextStream &err);
