// The update commands: job, check-version.
#include "tool/Tool.h"

#include "core/ConfigurationLock.h"
#include "core/Ipv4.h"
#include "core/Paths.h"
#include "i18n/VersionCheck.h"
#include "update/UpdateJob.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int cmdJob(ToolContext &tool)
{
    tool.expectArguments(1, "one configuration");
    if (!tool.line.has(QStringLiteral("--ip")) || !tool.line.has(QStringLiteral("--option")))
        throw UsageError{QStringLiteral("job needs --ip A.B.C.D and --option 0|1|2")};
    UpdateJob job;
    job.projectDir = tool.projectFolder(tool.line.arguments.first());
    job.dirMaster = tool.state.Dir_Master;
    job.readBack = tool.line.has(QStringLiteral("--read-back"));
    const QString option = tool.line.value(QStringLiteral("--option"));
    if (option != u"0" && option != u"1" && option != u"2")
        throw UsageError{QStringLiteral("--option is 0 (firmware + configuration), 1 (firmware) or 2 (configuration)")};
    job.option = option.toInt();
    QString error;
    if (job.option != 1) {
        // Waits for a run that is writing the configuration's pair, so that the job never names
        // an image whose parameter file is still being written.
        ConfigurationLock lock(job.projectDir);
        if (!lock.acquire(&error))
            return tool.fail(kExitRefused, error);
        // The update window only ever runs after Update Device composed the image; the tool does
        // not compose behind the user's back, so a job must not point at an image that is not there.
        const QString image = imageFilePathIn(job.projectDir);
        if (!QFileInfo(image).isFile())
            return tool.fail(kExitRefused, QStringLiteral("%1: no configuration image to send (run: kv40812-tool image \"%2\")")
                                               .arg(QDir::toNativeSeparators(image), tool.line.arguments.first()));
    }
    // The address as the update window holds it: four fields joined by dots, each as typed.
    const QString ip = tool.line.value(QStringLiteral("--ip"));
    job.addressParts = ip.split(u'.');
    if (!readIpv4(ip, Ipv4Syntax::IntegerParts))
        return tool.fail(kExitRefused, QStringLiteral("\"%1\" is not an IPv4 address A.B.C.D").arg(ip));
    if (!writeUpdateJob(tool.state.Dir_Exe, job, &error))
        return tool.fail(kExitUsage, error);
    tool.out << QDir::toNativeSeparators(updateJobPath(tool.state.Dir_Exe)) << Qt::endl;
    return kExitOk;
}

int cmdCheckVersion(ToolContext &tool)
{
    tool.expectArguments(0, "no arguments");
    QString failure;
    QString named;
    const std::optional<bool> newer = checkVersionAnswered(VersionCheckRequest(), &failure, &named);
    if (!newer) {
        tool.out << "unknown: " << failure << Qt::endl;
        return kExitUnknown;
    }
    tool.out << (*newer ? "newer" : "not newer");
    if (!named.isEmpty())
        tool.out << ": " << named;
    tool.out << Qt::endl;
    return kExitOk;
}
