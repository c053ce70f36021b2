#include "tool/Tool.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The same per-user workspace as the configurator's, where its own folder is read-only.
    QCoreApplication::setApplicationName(QStringLiteral("kv40812"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const int code = runTool(QCoreApplication::arguments().mid(1), QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    return code;
}
