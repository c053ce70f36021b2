#include "app/UWindows.h"
#include "core/AppState.h"
#include "core/Workspace.h"
#include "support/Processes.h"
#include "support/TestSupport.h"
#include "support/UpdateSupport.h"
#include "update/Updater.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstring>

class TestUpdater : public QObject {
    Q_OBJECT

private slots:
    void startProgramWaitsForTheUpdater();
    void startProgramStopsWaitingAtTheLimit();
    void missingUpdaterIsReported();
    void updaterOutlivesTheConfigurator_data();
    void updaterOutlivesTheConfigurator();
};

void TestUpdater::startProgramWaitsForTheUpdater()
{
    TestWorkspace ws;
    writeUpdater(ws.state.Dir_Exe, 0);
    ws.services.updaterWaitMs = 10000;
    auto main = Create_Windows(ws.state, ws.services);
    ws.writeFile(QStringLiteral("Ethernet_Update.xml"), "<job/>");
    QElapsedTimer clock;
    clock.start();
    QVERIFY(main->Start_Program(ws.path(QStringLiteral("Ethernet_Update.exe")), QString(), false));
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(updaterStarts(ws.state.Dir_Exe).size(), 1);
    QVERIFY(ws.messages.shown.isEmpty());
    QVERIFY(!QApplication::overrideCursor());
}

void TestUpdater::startProgramStopsWaitingAtTheLimit()
{
    TestWorkspace ws;
    writeUpdater(ws.state.Dir_Exe, 30);
    UpdateWindow w(ws);
    bool waitCursor = false;
    QString status;
    // Input that arrives while the updater runs is dropped: no second update starts.
    QTimer::singleShot(400, w.boot, [&] {
        waitCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        status = w.boot->findChild<QLabel *>(QStringLiteral("L_Status"))->text();
        QTest::mouseClick(w.button("Btn_Update"), Qt::LeftButton);
        QTest::mouseClick(w.button("Btn_Cancel"), Qt::LeftButton);
    });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(w.button("Btn_Update"), Qt::LeftButton);
    const qint64 elapsed = clock.elapsed();

    // End every updater this test started before anything can fail.
    const QStringList starts = updaterStarts(ws.state.Dir_Exe);
    bool stillRunning = !starts.isEmpty();
    for (const QString &start : starts) {
        const qint64 pid = start.section(u' ', 0, 0).toLongLong();
        stillRunning = stillRunning && isProcessRunning(pid);
        killProcess(pid);
    }
    QCOMPARE(starts.size(), 1);
    QVERIFY(stillRunning);
    QVERIFY2(elapsed >= 1000 && elapsed < 3000, qPrintable(QString::number(elapsed)));
    QVERIFY(waitCursor);
    QCOMPARE(status, QStringLiteral("Updating the device..."));
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(w.boot->isVisible());
    QVERIFY(ws.messages.shown.isEmpty());
}

void TestUpdater::missingUpdaterIsReported()
{
    TestWorkspace ws;
    UpdateWindow w(ws);
    QTest::mouseClick(w.button("Btn_Update"), Qt::LeftButton);
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("error"));
    QCOMPARE(ws.messages.shown.first().text, QStringLiteral("Error! The update program could not be started"));
    QVERIFY(QFile::exists(ws.path(QStringLiteral("Ethernet_Update.xml"))));
    QVERIFY(!QApplication::overrideCursor());
}

void TestUpdater::updaterOutlivesTheConfigurator_data()
{
    QTest::addColumn<bool>("killed");
    QTest::newRow("configurator killed") << true;
    QTest::newRow("configurator closed") << false;
}

// Once started, a firmware write is never cut off by this program's end: the updater has no
// pipe to us that could break, no input from us, and nothing of ours ends it (Probe.h). Its
// output goes to a log next to the job file.
void TestUpdater::updaterOutlivesTheConfigurator()
{
    QFETCH(bool, killed);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("Ethernet_Update.log"), "the log of an earlier update\n");
    writeUpdater(ws.state.Dir_Exe, 1, 2000); // the configurator ends during its second

    // The configurator is this test program in a second process, so that it can end for real.
    QProcess configurator;
    configurator.start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--start-updater"), ws.dir.path(), killed ? QStringLiteral("wait") : QStringLiteral("close")});
    QVERIFY(configurator.waitForStarted());
    QVERIFY(configurator.waitForReadyRead(10000));
    QCOMPARE(configurator.readLine().trimmed(), QByteArray("limit passed"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ws.path(QStringLiteral("updater.pid"))), 10000); // started, not yet ended
    if (killed)
        configurator.kill();
    QVERIFY(configurator.waitForFinished(10000));

    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(ws.path(QStringLiteral("finished.txt"))) && clock.elapsed() < 10000)
        QTest::qWait(50);
    QVERIFY2(QFile::exists(ws.path(QStringLiteral("finished.txt"))), "the updater was cut off");
    QCOMPARE(ws.readFile(QStringLiteral("probe.txt")), QByteArray("stdin=null\nown=yes\nwindow=shown\n"));
    // A Windows program's C runtime ends its lines with \r\n.
    const QByteArray log = ws.readFile(QStringLiteral("Ethernet_Update.log")).replace("\r\n", "\n");
    QVERIFY(!log.contains("earlier update")); // replaced at each start
    QVERIFY(log.startsWith("writing block 0\n"));
    QVERIFY(log.contains("writing block 1999\n") && log.contains("warning 1999\n"));
}

// `--start-updater WORKSPACE wait|close` is a configurator that starts the updater, waits past a
// short limit, says so, then waits to be killed or closes; the updater test runs it.
int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--start-updater") == 0) {
        QApplication app(argc, argv);
        AppState state;
        setWorkspace(state, QString::fromLocal8Bit(argv[2]));
        FakeMessages messages;
        Services services;
        services.messages = &messages;
        services.updaterWaitMs = 300;
        {
            auto main = Create_Windows(state, services);
            main->Start_Program(updaterProgramPath(state.Dir_Exe), QString(), false);
            std::puts("limit passed");
            std::fflush(stdout);
            while (std::strcmp(argv[3], "wait") == 0)
                QThread::sleep(60);
        }
        return 0;
    }
    QApplication app(argc, argv);
    TestUpdater test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_updater.moc"
