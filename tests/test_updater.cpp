#include "app/UWindows.h"
#include "core/AppState.h"
#include "core/Workspace.h"
#include "support/PlantedFiles.h"
#include "support/Processes.h"
#include "support/TestSupport.h"
#include "support/UpdateSupport.h"
#include "update/Updater.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
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
    void updaterThatDoesNotStartIsReported_data();
    void updaterThatDoesNotStartIsReported();
    void logIsNeverWrittenThroughWhatStandsThere_data();
    void logIsNeverWrittenThroughWhatStandsThere();
    void updaterOutlivesTheConfigurator_data();
    void updaterOutlivesTheConfigurator();
};

void TestUpdater::startProgramWaitsForTheUpdater()
{
    TestWorkspace ws;
    writeUpdater(ws.state.Dir_Exe, 0);
    ws.services.updaterWaitMs = kPatienceMs;
    auto main = Create_Windows(ws.state, ws.services);
    ws.writeFile(QStringLiteral("Ethernet_Update.xml"), "<job/>");
    QElapsedTimer clock;
    clock.start();
    QVERIFY(main->Start_Program(ws.path(QStringLiteral("Ethernet_Update.exe")), QString(), false));
    // Back when the updater ended, long before the limit.
    QVERIFY2(clock.elapsed() < kPatienceMs / 2, qPrintable(QString::number(clock.elapsed())));
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
    // At the limit, not when the updater's 30 s are over.
    QVERIFY2(elapsed >= 1000 && elapsed < 20000, qPrintable(QString::number(elapsed)));
    QVERIFY(waitCursor);
    QCOMPARE(status, QStringLiteral("Updating the device..."));
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(w.boot->isVisible());
    QVERIFY(ws.messages.shown.isEmpty());
}

void TestUpdater::updaterThatDoesNotStartIsReported_data()
{
    QTest::addColumn<QByteArray>("program"); // empty: none
    QTest::addColumn<bool>("executable");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("not executable") << QByteArray("#!/bin/sh\necho hello\n") << false;
    QTest::newRow("no program the system can run") << QByteArray("\x01\x02garbage") << true;
}

// The message, and no empty log: an updater that did not start wrote nothing.
void TestUpdater::updaterThatDoesNotStartIsReported()
{
    QFETCH(QByteArray, program);
    QFETCH(bool, executable);
    if (!program.isEmpty() && !executable && systemHasWindowsNames())
        QSKIP("Windows has no executable bit: a file named .exe is a program to it");
    TestWorkspace ws;
    const QString updater = ws.path(QStringLiteral("Ethernet_Update.exe"));
    if (!program.isEmpty())
        ws.writeFile(QStringLiteral("Ethernet_Update.exe"), program);
    if (executable)
        QFile::setPermissions(updater, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ws.writeFile(QStringLiteral("Ethernet_Update.log"), "the log of an earlier update\n");
    UpdateWindow w(ws);
    QTest::mouseClick(w.button("Btn_Update"), Qt::LeftButton);
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("error"));
    QCOMPARE(ws.messages.shown.first().text, QStringLiteral("Error! The update program could not be started"));
    QVERIFY(QFile::exists(ws.path(QStringLiteral("Ethernet_Update.xml"))));
    QVERIFY(!QApplication::overrideCursor());
    const QString log = ws.path(QStringLiteral("Ethernet_Update.log"));
    if (executable) // found and tried: the earlier log was already given up
        QVERIFY(!QFile::exists(log));
    else
        QCOMPARE(ws.readFile(QStringLiteral("Ethernet_Update.log")), QByteArray("the log of an earlier update\n"));
}

void TestUpdater::logIsNeverWrittenThroughWhatStandsThere_data()
{
    QTest::addColumn<QString>("planted"); // "link", "dangling link" or "fifo"
    QTest::newRow("a link to a file") << "link";
    QTest::newRow("a dangling link") << "dangling link";
    QTest::newRow("a FIFO") << "fifo";
}

// Whatever stands at the log's name is replaced by a new log; where a link points stays untouched.
void TestUpdater::logIsNeverWrittenThroughWhatStandsThere()
{
    QFETCH(QString, planted);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("Ethernet_Update.exe"), "#!/bin/sh\necho written by the updater\n");
    QFile::setPermissions(ws.path(QStringLiteral("Ethernet_Update.exe")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString log = updaterLogPath(ws.dir.path());
    const QString outside = ws.path(QStringLiteral("outside.txt"));
    if (planted == u"link")
        ws.writeFile(QStringLiteral("outside.txt"), "someone else's");
    if (!plantedFilesMissing().isEmpty())
        QSKIP(qPrintable(plantedFilesMissing()));
    if (planted == u"fifo")
        QVERIFY(makeFifo(log));
    else
        QVERIFY(QFile::link(outside, log));

    ProgramLauncher launcher;
    QElapsedTimer clock;
    clock.start();
    const ProgramLauncher::Result result = launcher.run(updaterProgramPath(ws.dir.path()), QString(), 60000, log);
    QCOMPARE(result.outcome, ProgramLauncher::Outcome::Ended);
    QVERIFY(clock.elapsed() < 30000);
    QVERIFY(!QFileInfo(log).isSymLink());
    QCOMPARE(ws.readFile(QStringLiteral("Ethernet_Update.log")), QByteArray("written by the updater\n"));
    if (planted == u"link")
        QCOMPARE(ws.readFile(QStringLiteral("outside.txt")), QByteArray("someone else's"));
    else
        QVERIFY(!QFile::exists(outside));
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
    QVERIFY2(configurator.waitForStarted(kPatienceMs), qPrintable(processReport(configurator)));
    QVERIFY2(configurator.waitForReadyRead(kPatienceMs), qPrintable(processReport(configurator)));
    const QByteArray said = configurator.readLine().trimmed();
    QVERIFY2(said == "limit passed", qPrintable(said + processReport(configurator)));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ws.path(QStringLiteral("updater.pid"))), kPatienceMs); // started, not yet ended
    if (killed)
        configurator.kill();
    // It may have ended already while the wait above ran the event loop.
    QVERIFY2(configurator.state() == QProcess::NotRunning || configurator.waitForFinished(kPatienceMs),
             qPrintable(processReport(configurator)));

    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(ws.path(QStringLiteral("finished.txt"))) && clock.elapsed() < kPatienceMs)
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
