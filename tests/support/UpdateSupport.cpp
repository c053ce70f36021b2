#include "support/UpdateSupport.h"

#include "app/UWindows.h"

#include <QFile>
#include <QTest>

void writeUpdater(const TestWorkspace &ws, int sleepSeconds)
{
    const QByteArray script = "#!/bin/sh\n"
                              "here=$(dirname \"$0\")\n"
                              "echo \"$$ $#\" >> \"$here/starts.txt\"\n"
                              "pwd > \"$here/cwd.txt\"\n"
                              "cp \"$here/Ethernet_Update.xml\" \"$here/job-seen.xml\"\n"
                              "exec sleep "
                              + QByteArray::number(sleepSeconds) + "\n";
    ws.writeFile(QStringLiteral("Ethernet_Update.exe"), script);
    QFile::setPermissions(ws.path(QStringLiteral("Ethernet_Update.exe")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList updaterStarts(const TestWorkspace &ws)
{
    return QString::fromLatin1(ws.readFile(QStringLiteral("starts.txt"))).split(u'\n', Qt::SkipEmptyParts);
}

UpdateWindow::UpdateWindow(TestWorkspace &ws) : main(Create_Windows(ws.state, ws.services)), boot(main->FBoot)
{
    ws.state.Project_Dir = ws.path(QStringLiteral("PROJECTS/Plant"));
    ws.state.Device_IP_Address = QStringLiteral("127.0.0.1");
    boot->show();
    boot->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(boot, kPatienceMs));
}
