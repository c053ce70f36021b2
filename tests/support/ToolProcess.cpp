#include "support/ToolProcess.h"

#include "support/TestSupport.h"

#include <QProcess>
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
    if (!process.waitForFinished(kPatienceMs)) {
        const QString report = processReport(process);
        process.kill();
        process.waitForFinished();
        qFatal("kv40812-tool did not end: %s", qPrintable(report));
    }
    Run run{process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
    if (process.exitStatus() == QProcess::CrashExit) {
        run.code = -1;
        qWarning("kv40812-tool %s ended by a signal; it wrote:\n%s%s", qPrintable(process.arguments().join(u' ')),
                 run.out.constData(), qPrintable(run.err));
    }
    return run;
}

Run tool(const QStringList &arguments, const QMap<QString, QString> &environment, const QString &workingDirectory)
{
    return finish(*startTool(arguments, environment, workingDirectory));
}
