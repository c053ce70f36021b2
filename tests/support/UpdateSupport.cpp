#include "support/UpdateSupport.h"

#include "app/UWindows.h"

#include <QFile>
#include <QTest>

void writeUpdater(const QString &folder, int sleepSeconds, int lines)
{
    const QString updater = joinPath(folder, QStringLiteral("Ethernet_Update.exe"));
    QFile::remove(updater);
    if (!QFile::copy(QStringLiteral(KV_STAND_IN_UPDATER), updater))
        qFatal("cannot copy the stand-in updater to %s", qPrintable(updater));
    QFile settings(joinPath(folder, QStringLiteral("stand-in.txt")));
    if (!settings.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(settings.fileName()));
    settings.write(QByteArray::number(sleepSeconds) + ' ' + QByteArray::number(lines) + '\n');
}

QStringList updaterStarts(const QString &folder)
{
    QFile starts(joinPath(folder, QStringLiteral("starts.txt")));
    if (!starts.open(QIODevice::ReadOnly))
        return QStringList();
    return QString::fromLatin1(starts.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

UpdateWindow::UpdateWindow(TestWorkspace &ws) : main(Create_Windows(ws.state, ws.services)), boot(main->FBoot)
{
    ws.state.Project_Dir = ws.path(QStringLiteral("PROJECTS/Plant"));
    ws.state.Device_IP_Address = QStringLiteral("127.0.0.1");
    boot->show();
    boot->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(boot, kPatienceMs));
}
