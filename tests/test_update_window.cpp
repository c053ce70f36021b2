#include "app/UWindows.h"
#include "support/TestSupport.h"
#include "support/UpdateSupport.h"
#include "update/Pinger.h"
#include "update/UpdateJob.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

using Outcome = Pinger::Outcome;
using Answer = FakePinger::Answer;

class TestUpdateWindow : public QObject {
    Q_OBJECT

private slots:
    void layoutAndTexts();
    void showFillsFieldsFromState_data();
    void showFillsFieldsFromState();
    void dotKey_data();
    void dotKey();
    void executeUpdateRunsTheUpdater();
    void updateDeviceWithARealEcho();
    void failedCheckChangesNothing_data();
    void failedCheckChangesNothing();
    void unwritableJobFileStopsTheUpdate();
    void cancelStopsTheCheck_data();
    void cancelStopsTheCheck();
};

void TestUpdateWindow::layoutAndTexts()
{
    TestWorkspace ws;
    UpdateWindow w(ws);
    QCOMPARE(w.boot->size(), QSize(449, 230));
    QCOMPARE(w.boot->windowTitle(), QStringLiteral("Update Device by Ethernet (UDP)"));
    const struct {
        const char *name;
        QRect geometry;
    } bands[] = {{"P_Title", {0, 0, 449, 69}},
                 {"P_IP_Address", {0, 69, 449, 49}},
                 {"P_Update_Options", {0, 118, 449, 72}},
                 {"P_Button", {0, 190, 449, 40}}};
    for (const auto &b : bands)
        QCOMPARE(w.boot->findChild<QWidget *>(QString::fromLatin1(b.name))->geometry(), b.geometry);
    const struct {
        const char *name;
        QRect geometry;
        const char *hint;
    } controls[] = {
        {"E_IP1", {35, 23, 41, 21}, "Insert first byte of IP Address"},
        {"E_IP2", {91, 23, 41, 21}, "Insert second byte of IP Address"},
        {"E_IP3", {147, 23, 41, 21}, "Insert third byte of IP Address"},
        {"E_IP4", {203, 23, 41, 21}, "Insert fourth byte of IP Address"},
        {"CB_Update_Options", {35, 23, 382, 21}, "Select the operation to do in update"},
        {"CB_Update_Option_Read_Back", {16, 50, 401, 17},
         "Enable or disable the possibility to read back the Firmware/Configuration"},
        {"Btn_Cancel", {16, 6, 110, 28}, "Exit without to do the Update"},
        {"Btn_Update", {132, 6, 228, 28}, "Start the update of Device"},
    };
    for (const auto &c : controls) {
        auto *widget = w.boot->findChild<QWidget *>(QString::fromLatin1(c.name));
        QVERIFY2(widget, c.name);
        QCOMPARE(widget->geometry(), c.geometry);
        QCOMPARE(widget->toolTip(), QString::fromLatin1(c.hint));
    }
    auto label = [&](const char *name) { return w.boot->findChild<QLabel *>(QString::fromLatin1(name))->text(); };
    QCOMPARE(label("L_SW_Code"), QStringLiteral("KV40812"));
    QCOMPARE(label("L_SW_Desc"), QStringLiteral("Update Device Using the Ethernet Port"));
    QCOMPARE(label("L_IP_Address"), QStringLiteral("Insert the IP Address of Device"));
    QCOMPARE(label("L_Update_Option"), QStringLiteral("Select Update Options"));
    QCOMPARE(label("Label2") + label("Label3") + label("Label4"), QStringLiteral("..."));
    QCOMPARE(w.options()->count(), 3);
    QCOMPARE(w.options()->itemText(0), QStringLiteral("Firmware + Configuration"));
    QCOMPARE(w.options()->itemText(1), QStringLiteral("Firmware"));
    QCOMPARE(w.options()->itemText(2), QStringLiteral("Configuration"));
    QVERIFY(!w.options()->isEditable());
    QCOMPARE(w.readBack()->text(), QStringLiteral("Read Back"));
    QCOMPARE(w.button("Btn_Cancel")->text(), QStringLiteral("Cancel"));
    QCOMPARE(w.button("Btn_Update")->text(), QStringLiteral("Execute Update Firmware"));
}

void TestUpdateWindow::showFillsFieldsFromState_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("valid") << "192.168.2.205" << QStringList {"192", "168", "2", "205"};
    QTest::newRow("spaced") << " 10 . 1 . 002 . 7 " << QStringList {"10", "1", "002", "7"};
    QTest::newRow("above 255 keeps fields") << "192.168.2.300" << QStringList {"9", "9", "9", "9"};
    QTest::newRow("five parts keep fields") << "1.2.3.4.5" << QStringList {"9", "9", "9", "9"};
    QTest::newRow("empty keeps fields") << "" << QStringList {"9", "9", "9", "9"};
}

void TestUpdateWindow::showFillsFieldsFromState()
{
    QFETCH(QString, address);
    QFETCH(QStringList, fields);
    TestWorkspace ws;
    UpdateWindow w(ws);
    w.boot->hide();
    for (int i = 1; i <= 4; ++i)
        w.edit(i)->setText(QStringLiteral("9"));
    ws.state.Device_IP_Address = address;
    ws.state.Update_Option = 2;
    ws.state.Update_Read_Back = true;
    w.boot->show();
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(w.edit(i)->text(), fields.at(i - 1));
    QCOMPARE(w.options()->currentIndex(), 2);
    QVERIFY(w.readBack()->isChecked());
    QCOMPARE(w.boot->focusWidget(), w.edit(1));
}

void TestUpdateWindow::dotKey_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("focusAfter");
    QTest::newRow("dot moves on") << 1 << "1.2" << QStringList {"1", "2", "", ""} << 2;
    QTest::newRow("whole address") << 1 << "10.0.0.1" << QStringList {"10", "0", "0", "1"} << 4;
    QTest::newRow("dot in the last field dropped") << 4 << "5.6" << QStringList {"", "", "", "56"} << 4;
    QTest::newRow("other characters kept") << 1 << "a b" << QStringList {"a b", "", "", ""} << 1;
}

void TestUpdateWindow::dotKey()
{
    QFETCH(int, start);
    QFETCH(QString, typed);
    QFETCH(QStringList, fields);
    QFETCH(int, focusAfter);
    TestWorkspace ws;
    UpdateWindow w(ws);
    for (int i = 1; i <= 4; ++i)
        w.edit(i)->clear();
    w.edit(start)->setFocus();
    for (QChar c : typed)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(w.edit(i)->text(), fields.at(i - 1));
    QCOMPARE(QApplication::focusWidget(), w.edit(focusAfter));
}

void TestUpdateWindow::executeUpdateRunsTheUpdater()
{
    TestWorkspace ws;
    writeUpdater(ws.state.Dir_Exe, 0);
    UpdateWindow w(ws);
    const QStringList address {"127", "0", "0", "001"};
    for (int i = 1; i <= 4; ++i)
        w.edit(i)->setText(address.at(i - 1));
    w.options()->setCurrentIndex(1);
    w.readBack()->setChecked(true);

    QTest::mouseClick(w.button("Btn_Update"), Qt::LeftButton);

    QCOMPARE(ws.pinger.attempts, 2);
    QCOMPARE(ws.pinger.addresses.first(), QStringLiteral("127.0.0.001"));
    QCOMPARE(ws.state.Device_IP_Address, QStringLiteral("127.0.0.001"));
    QCOMPARE(ws.state.Update_Option, 1);
    QVERIFY(ws.state.Update_Read_Back);
    const QByteArray job = ws.readFile(QStringLiteral("Ethernet_Update.xml"));
    UpdateJob expected {address, 1, true, ws.state.Dir_Master, ws.state.Project_Dir};
    QCOMPARE(job, composeUpdateJob(expected));
    // Started once, without arguments, in this program's working folder, after the job was written.
    const QStringList starts = updaterStarts(ws.state.Dir_Exe);
    QCOMPARE(starts.size(), 1);
    QVERIFY(starts.first().endsWith(QStringLiteral(" 0")));
    QCOMPARE(QDir::fromNativeSeparators(QString::fromUtf8(ws.readFile(QStringLiteral("cwd.txt")).trimmed())),
             QDir::currentPath());
    QCOMPARE(ws.readFile(QStringLiteral("probe.txt")), QByteArray("stdin=null\nown=yes\nwindow=shown\n"));
    QCOMPARE(ws.readFile(QStringLiteral("job-seen.xml")), job);
    QVERIFY(w.boot->isVisible());
    QVERIFY(ws.messages.shown.isEmpty());
}

// The whole road as a user takes it: Update Device in the main window composes the image, the
// update window checks 127.0.0.1 with a real echo, writes the job and runs the updater.
void TestUpdateWindow::updateDeviceWithARealEcho()
{
    TestWorkspace ws;
    IcmpPinger echo;
    ws.services.pinger = &echo;
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    ws.useProject(QStringLiteral("Plant"));
    ws.saveParameters({});
    ws.state.Device_IP_Address = QStringLiteral("127.0.0.1");
    writeUpdater(ws.state.Dir_Exe, 0);
    onNextModal([](QWidget *boot) {
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Update")), Qt::LeftButton);
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Cancel")), Qt::LeftButton);
    });
    QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("Btn_CreateBin")), Qt::LeftButton);

    QVERIFY2(ws.messages.shown.isEmpty(), qPrintable(ws.messages.texts().join(u'\n')));
    QCOMPARE(updaterStarts(ws.state.Dir_Exe).size(), 1);
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Plant/bin/bank.bin")).size(), 2048);
    const QByteArray job = ws.readFile(QStringLiteral("Ethernet_Update.xml"));
    QCOMPARE(ws.readFile(QStringLiteral("job-seen.xml")), job);
    // Both operations name their files by full paths in the system's own separators.
    for (const char *file : {"MASTER/sim40812.sim", "PROJECTS/Plant/bin/bank.bin"}) {
        const QByteArray element = "<Ope_FileName>" + ws.path(QString::fromLatin1(file)).toUtf8() + "</Ope_FileName>";
        QVERIFY2(job.contains(element), job.constData());
    }
}

void TestUpdateWindow::failedCheckChangesNothing_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("pingRes");
    QTest::newRow("answers only the first time")
        << Answer([](int n) { return n == 0 ? Outcome::Reply : Outcome::NoReply; }) << "warning"
        << "Device Not Found!" << 2;
    QTest::newRow("error at once") << Answer([](int) { return Outcome::Error; }) << "error"
                                   << "Error!!! Check the Ip Address" << 0;
    QTest::newRow("error after a reply")
        << Answer([](int n) { return n == 0 ? Outcome::Reply : Outcome::Error; }) << "error"
        << "Error!!! Check the Ip Address" << 1;
}

void TestUpdateWindow::failedCheckChangesNothing()
{
    QFETCH(Answer, answer);
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QFETCH(int, pingRes);
    TestWorkspace ws;
    writeUpdater(ws.state.Dir_Exe, 0);
    UpdateWindow w(ws);
    ws.pinger.answer = answer;
    w.edit(4)->setText(QStringLiteral("2"));
    w.options()->setCurrentIndex(2);
    w.readBack()->setChecked(true);

    QTest::mouseClick(w.button("Btn_Update"), Qt::LeftButton);

    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, kind);
    QCOMPARE(ws.messages.shown.first().text, message);
    QCOMPARE(w.boot->ping_res, pingRes);
    QCOMPARE(ws.state.Device_IP_Address, QStringLiteral("127.0.0.1"));
    QCOMPARE(ws.state.Update_Option, 0);
    QVERIFY(!ws.state.Update_Read_Back);
    QVERIFY(!QFile::exists(ws.path(QStringLiteral("Ethernet_Update.xml"))));
    QVERIFY(updaterStarts(ws.state.Dir_Exe).isEmpty());
}

void TestUpdateWindow::unwritableJobFileStopsTheUpdate()
{
    TestWorkspace ws;
    writeUpdater(ws.state.Dir_Exe, 0);
    UpdateWindow w(ws);
    // A folder where the job file should be: it cannot be written.
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("Ethernet_Update.xml"))));
    QTest::mouseClick(w.button("Btn_Update"), Qt::LeftButton);
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    QVERIFY(ws.messages.shown.first().text.contains(QStringLiteral("Ethernet_Update.xml")));
    QVERIFY(updaterStarts(ws.state.Dir_Exe).isEmpty());
    QVERIFY(w.boot->isVisible());
}

void TestUpdateWindow::cancelStopsTheCheck_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("cancel button") << false;
    QTest::newRow("close box") << true;
}

void TestUpdateWindow::cancelStopsTheCheck()
{
    QFETCH(bool, closeBox);
    TestWorkspace ws;
    writeUpdater(ws.state.Dir_Exe, 0);
    UpdateWindow w(ws);
    ws.pinger.answer = [](int) { return Outcome::NoReply; };
    QString status;
    // A second press while the check runs, then the cancel.
    QTimer::singleShot(100, w.boot, [&] {
        status = w.boot->findChild<QLabel *>(QStringLiteral("L_Status"))->text();
        QTest::mouseClick(w.button("Btn_Update"), Qt::LeftButton);
    });
    QTimer::singleShot(600, w.boot, [&] {
        if (closeBox)
            w.boot->close();
        else
            QTest::mouseClick(w.button("Btn_Cancel"), Qt::LeftButton);
    });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(w.button("Btn_Update"), Qt::LeftButton);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(status, QStringLiteral("Checking the device..."));
    QVERIFY(!w.boot->isVisible());
    QCOMPARE(w.boot->result(), int(QDialog::Rejected));
    QVERIFY(ws.messages.shown.isEmpty());
    QVERIFY(!QFile::exists(ws.path(QStringLiteral("Ethernet_Update.xml"))));
    QVERIFY(updaterStarts(ws.state.Dir_Exe).isEmpty());
}

QTEST_MAIN(TestUpdateWindow)
#include "test_update_window.moc"
