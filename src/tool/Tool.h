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

// A command line split into its command, its plain arguments and its options.
struct CommandLine {
    QString command;
    QStringList arguments;
    QMap<QString, QString> options; // "--ip" -> "127.0.0.1"; flags map to an empty text
    bool help = false;

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
    // A configuration's name in the workspace, or the path of its folder.
    QString projectFolder(const QString &project) const;
    // A configuration's ParGen.xml, or a parameter file named directly.
    QString parameterFileOf(const QString &projectOrFile) const;
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

// The commands, by theme; each returns the exit code.
int cmdNew(ToolContext &tool);
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

// Creates the configuration `name` under PROJECTS as new does, in a workspace made on demand;
// on a refusal prints the dialog's message and returns its exit code, else kExitOk.
int createNamedConfiguration(ToolContext &tool, const QString &name);

// Runs one command line (arguments without the program name).
int runTool(const QStringList &arguments, const QString &executableDir, QTextStream &out, QTextStream &err);
