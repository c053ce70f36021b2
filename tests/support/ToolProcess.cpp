#include "support/ToolProcess.h"

#include <QProcess>
#include <QProcessEnvironment>

Run tool(const QStringList &arguments, const QMap<QString, QString> &environment)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("KV40812_WORKSPACE"));
    for (auto it = environment.begin(); it != environment.end(); ++it)
        env.insert(it.key(), it.value());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KV_TOOL_PATH), arguments);
    if (!process.waitForFinished(60000))
        qFatal("kv40812-tool did not end");
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}
