#pragma once

#include <QStringList>

class QTextStream;

// Exit codes of the command-line tool.
enum ToolExit {
    kExitOk = 0,
    kExitRefused = 1, // a refusal the user can correct: a rule, a name, a bad image
    kExitUsage = 2,   // wrong usage, or a file that cannot be read or written
};

// Runs one command line (arguments without the program name).
int runTool(const QStringList &arguments, const QString &executableDir, QTextStream &out, QTextStream &err);
