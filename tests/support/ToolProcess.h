#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// What one run of the real kv40812-tool executable gave.
struct Run {
    int code = -1;
    QByteArray out;
    QString err;
};

// Runs the tool as a script would, without KV40812_WORKSPACE unless `environment` sets it, in
// `workingDirectory` when one is given.
Run tool(const QStringList &arguments, const QMap<QString, QString> &environment = {},
         const QString &workingDirectory = {});

// Starts the tool and returns at once, for runs side by side; finish() waits for its end.
std::unique_ptr<QProcess> startTool(const QStringList &arguments, const QMap<QString, QString> &environment = {},
                                    const QString &workingDirectory = {});
Run finish(QProcess &process);
