#include "support/ToolProcess.h"

#include <QProcessEnvironment>

std::unique_ptr<QProcess> startTool(const QStringList &arguments, const QMap<QString, QString> &environment,
                                    const QString &workingDirectory)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("KV40812_WORKSPACE"));
    for (auto it = environment.begin(); it != environment.end(); ++it)
        env.insert(it.key(), it.value());
    process->setProcessEnvironment(env);
    if (!workingDirectory.isEmpty())
        process->setWorkingDirectory(workingDirectory);
    process->start(QStringLiteral(KV_TOOL_PATH), arguments);
    return process;
}

Run finish(QProcess &process)
{
    if (!process.waitForFinished(60000))
        qFatal("kv40812-tool did not end");
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

Run tool(const QStringList &arguments, const QMap<QString, QString> &environment, const QString &workingDirectory)
{
    return finish(*startTool(arguments, environment, workingDirectory));
}
