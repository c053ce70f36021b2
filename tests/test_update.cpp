#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/AppState.h"
#include "core/Workspace.h"
#include "support/TestSupport.h"
#include "update/DeviceCheck.h"
#include "update/Pinger.h"
#include "update/UBoot.h"
#include "update/UpdateJob.h"
#include "update/Updater.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

using Outcome = Pinger::Outcome;
using Answer = std::function<Outcome(int)>;
Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(IcmpPinger::Method)

namespace {
const QByteArray kHead = "<Ethernet_Update><Version>1000</Version><Title>Norvexa - KV40812 Ethernet Update</Title>"
                         "<IP_Address_Dev>%IP%</IP_Address_Dev><Application_Port>10000</Application_Port>"
                         "<Boot_Port>2007</Boot_Port><Address_Protection>0x78000</Address_Protection>"
                         "<Protections><Protection>0x15A</Protection></Protections><Operations>";
const QByteArray kTail = "</Operations></Ethernet_Update>";
const QByteArray kFirmware =
    "<Operation><Ope_Protection_Enabled/><Ope_GoToBoot_Before>0</Ope_GoToBoot_Before>"
    "<Ope_GoToApp_Before>0</Ope_GoToApp_Before><Ope_IP_Address/><Ope_Port>2007</Ope_Port>"
    "<Ope_Erase_Memory>0</Ope_Erase_Memory><Ope_FileName>%MASTER%/sim40812.sim</Ope_FileName>"
    "<Ope_Start_Address>0x8000</Ope_Start_Address><Ope_Memory_Type>0</Ope_Memory_Type>"
    "<Ope_Bank_Type>1</Ope_Bank_Type><Ope_Read_Back>%RB%</Ope_Read_Back><Ope_Write_CSS>1</Ope_Write_CSS>"
    "<Ope_Address_CSS>0x78100</Ope_Address_CSS><Ope_Command_CSS>0x0B</Ope_Command_CSS>"
    "<Ope_Write_Internal_Data>0</Ope_Write_Internal_Data><Ope_WID_Address>0x78200</Ope_WID_Address>"
    "<Ope_WID_Command>0x0B</Ope_WID_Command><Ope_WID_Data/><Ope_GoToApp_After>%GO%</Ope_GoToApp_After></Operation>";
const QByteArray kConfiguration =
    "<Operation><Ope_Protection_Enabled/><Ope_GoToBoot_Before>0</Ope_GoToBoot_Before>"
    "<Ope_GoToApp_Before>0</Ope_GoToApp_Before><Ope_IP_Address/><Ope_Port>2007</Ope_Port>"
    "<Ope_Erase_Memory>0</Ope_Erase_Memory><Ope_FileName>%PROJECT%/bin/bank.bin</Ope_FileName>"
    "<Ope_Start_Address>0x68000</Ope_Start_Address><Ope_Memory_Type>0</Ope_Memory_Type>"
    "<Ope_Bank_Type>2</Ope_Bank_Type><Ope_Read_Back>%RB%</Ope_Read_Back><Ope_Write_CSS>0</Ope_Write_CSS>"
    "<Ope_Address_CSS>0x50100</Ope_Address_CSS><Ope_Command_CSS>0x0B</Ope_Command_CSS>"
    "<Ope_Write_Internal_Data>0</Ope_Write_Internal_Data><Ope_WID_Address>0x78200</Ope_WID_Address>"
    "<Ope_WID_Command>0x0B</Ope_WID_Command><Ope_WID_Data/><Ope_GoToApp_After>1</Ope_GoToApp_After></Operation>";

QByteArray operation(QByteArray text, bool readBack, const char *goToApp = "1")
{
    return text.replace("%RB%", readBack ? "1" : "0").replace("%GO%", goToApp);
}

// A stand-in updater: records each start (pid, argument count), its working folder and the
// job file it found, then sleeps as long as asked.
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

// The update window of a full set of windows, shown and active, with a configuration.
struct UpdateWindow {
    explicit UpdateWindow(TestWorkspace &ws) : main(Create_Windows(ws.state, ws.services)), boot(main->FBoot)
    {
        ws.state.Project_Dir = ws.path(QStringLiteral("PROJECTS/Plant"));
        ws.state.Device_IP_Address = QStringLiteral("127.0.0.1");
        boot->show();
        boot->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(boot));
    }
    QLineEdit *edit(int i) const { return boot->findChild<QLineEdit *>(QStringLiteral("E_IP%1").arg(i)); }
    QPushButton *button(const char *name) const { return boot->findChild<QPushButton *>(QString::fromLatin1(name)); }
    QComboBox *options() const { return boot->findChild<QComboBox *>(QStringLiteral("CB_Update_Options")); }
    QCheckBox *readBack() const { return boot->findChild<QCheckBox *>(QStringLiteral("CB_Update_Option_Read_Back")); }

    std::unique_ptr<TFZentreleFirmWare> main;
    TFBoot *boot;
};
} // namespace

class TestUpdate : public QObject {
    Q_OBJECT

private slots:
    void jobFile_data();
    void jobFile();
    void secondJobReplacesFirst();
    void deviceCheck_data();
    void deviceCheck();
    void realEchoToLoopback_data();
    void realEchoToLoopback();
    void realEchoInPrivateNetwork_data();
    void realEchoInPrivateNetwork();
    void layoutAndTexts();
    void showFillsFieldsFromState_data();
    void showFillsFieldsFromState();
    void dotKey_data();
    void dotKey();
    void executeUpdateRunsTheUpdater();
    void failedCheckChangesNothing_data();
    void failedCheckChangesNothing();
    void unwritableJobFileStopsTheUpdate();
    void cancelStopsTheCheck_data();
    void cancelStopsTheCheck();
    void startProgramWaitsForTheUpdater();
    void startProgramStopsWaitingAtTheLimit();
    void missingUpdaterIsReported();
    void updaterOutlivesTheConfigurator_data();
    void updaterOutlivesTheConfigurator();
};

void TestUpdate::jobFile_data()
{
    QTest::addColumn<QStringList>("address");
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("readBack");
    QTest::addColumn<QByteArray>("operations");
    const QStringList address {"192", "168", "2", "205"};
    QTest::newRow("firmware + configuration, read back")
        << address << 0 << true << operation(kFirmware, true, "0") + operation(kConfiguration, true);
    QTest::newRow("firmware + configuration")
        << address << 0 << false << operation(kFirmware, false, "0") + operation(kConfiguration, false);
    QTest::newRow("firmware, read back") << address << 1 << true << operation(kFirmware, true);
    QTest::newRow("firmware") << address << 1 << false << operation(kFirmware, false);
    QTest::newRow("configuration, read back") << address << 2 << true << operation(kConfiguration, true);
    QTest::newRow("configuration") << address << 2 << false << operation(kConfiguration, false);
    QTest::newRow("leading zeros kept")
        << QStringList {"192", "168", "001", "10"} << 2 << false << operation(kConfiguration, false);
    QTest::newRow("typed text not trimmed")
        << QStringList {" 10", "0 ", "0", "1"} << 2 << false << operation(kConfiguration, false);
}

void TestUpdate::jobFile()
{
    QFETCH(QStringList, address);
    QFETCH(int, option);
    QFETCH(bool, readBack);
    QFETCH(QByteArray, operations);
    TestWorkspace ws;
    UpdateJob job {address, option, readBack, ws.state.Dir_Master, ws.path(QStringLiteral("PROJECTS/Plant"))};
    QString error;
    QVERIFY2(writeUpdateJob(ws.state.Dir_Exe, job, &error), qPrintable(error));

    QByteArray expected = kHead + operations + kTail;
    expected.replace("%IP%", address.join(u'.').toUtf8())
        .replace("%MASTER%", ws.path(QStringLiteral("MASTER")).toUtf8())
        .replace("%PROJECT%", ws.path(QStringLiteral("PROJECTS/Plant")).toUtf8());
    QCOMPARE(ws.readFile(QStringLiteral("Ethernet_Update.xml")), expected);
}

void TestUpdate::secondJobReplacesFirst()
{
    TestWorkspace ws;
    UpdateJob first {{"10", "0", "0", "1"}, 0, true, ws.state.Dir_Master, ws.path(QStringLiteral("PROJECTS/A"))};
    UpdateJob second {{"10", "0", "0", "2"}, 2, false, ws.state.Dir_Master, ws.path(QStringLiteral("PROJECTS/B"))};
    QString error;
    QVERIFY(writeUpdateJob(ws.state.Dir_Exe, first, &error));
    QVERIFY(writeUpdateJob(ws.state.Dir_Exe, second, &error));
    QCOMPARE(ws.readFile(QStringLiteral("Ethernet_Update.xml")), composeUpdateJob(second));
    QCOMPARE(ws.readFile(QStringLiteral("Ethernet_Update.xml")).count("<Operation>"), 1);
}

void TestUpdate::deviceCheck_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("pingRes");
    QTest::addColumn<int>("attempts"); // -1: as many as 5 s allow
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    QTest::newRow("always answers") << Answer([](int) { return Outcome::Reply; }) << true << 1
                                    << 2 << 0 << 1000;
    QTest::newRow("never answers") << Answer([](int) { return Outcome::NoReply; }) << false
                                   << 2 << -1 << 5000 << 5800;
    QTest::newRow("error at once") << Answer([](int) { return Outcome::Error; }) << false << 0
                                   << 1 << 0 << 1000;
    QTest::newRow("error after a reply")
        << Answer([](int n) { return n == 0 ? Outcome::Reply : Outcome::Error; }) << false << 1
        << 2 << 0 << 1000;
}

void TestUpdate::deviceCheck()
{
    QFETCH(Answer, answer);
    QFETCH(bool, found);
    QFETCH(int, pingRes);
    QFETCH(int, attempts);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    FakePinger pinger;
    pinger.answer = answer;
    qint32 ping_res = -1;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(checkDevice(pinger, QStringLiteral("127.0.0.1"), ping_res), found);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(ping_res, pingRes);
    if (attempts >= 0)
        QCOMPARE(pinger.attempts, attempts);
    else
        QVERIFY(pinger.attempts >= 11 && pinger.attempts <= 13); // 400 ms + 10 ms each
    QVERIFY2(elapsed >= minMs && elapsed <= maxMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(pinger.addresses.first(), QStringLiteral("127.0.0.1"));
    QCOMPARE(pinger.payloads.first(), QByteArray("127.0.0.1"));
}

void TestUpdate::realEchoToLoopback_data()
{
    QTest::addColumn<IcmpPinger::Method>("method");
    QTest::newRow("automatic") << IcmpPinger::Method::Automatic;
    QTest::newRow("datagram socket") << IcmpPinger::Method::DatagramSocket;
    QTest::newRow("raw socket") << IcmpPinger::Method::RawSocket;
    QTest::newRow("ping program") << IcmpPinger::Method::PingProgram;
}

void TestUpdate::realEchoToLoopback()
{
    QFETCH(IcmpPinger::Method, method);
    IcmpPinger pinger(method);
    QString error;
    const Outcome outcome = pinger.echo(QStringLiteral("127.0.0.1"), "127.0.0.1", kReplyTimeoutMs, &error);
    if (outcome == Outcome::Error && method != IcmpPinger::Method::Automatic)
        QSKIP(qPrintable(QStringLiteral("not available here: %1").arg(error)));
    QVERIFY2(outcome == Outcome::Reply, qPrintable(error));
    QCOMPARE(pinger.echo(QStringLiteral("127.0.0.300"), "x", kReplyTimeoutMs, &error), Outcome::Error);
}

void TestUpdate::realEchoInPrivateNetwork_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<IcmpPinger::Method>("method");
    QTest::addColumn<QByteArray>("outcome");
    const QString ignoreEchoes = QStringLiteral("echo 1 > /proc/sys/net/ipv4/icmp_echo_ignore_all");
    const QString allowDatagram = QStringLiteral("echo '0 0' > /proc/sys/net/ipv4/ping_group_range");
    QTest::newRow("unanswered") << ignoreEchoes << IcmpPinger::Method::Automatic << QByteArray("no reply");
    QTest::newRow("unanswered, datagram socket")
        << allowDatagram + QStringLiteral(" && ") + ignoreEchoes << IcmpPinger::Method::DatagramSocket << QByteArray("no reply");
    QTest::newRow("answered, datagram socket")
        << allowDatagram << IcmpPinger::Method::DatagramSocket << QByteArray("reply");
}

void TestUpdate::realEchoInPrivateNetwork()
{
    // A private network namespace set up as asked; the echo runs in it through this
    // executable's --echo mode, so no packet leaves the machine.
    QFETCH(QString, setup);
    QFETCH(IcmpPinger::Method, method);
    QFETCH(QByteArray, outcome);
    QProcess child;
    child.start(QStringLiteral("unshare"),
                {QStringLiteral("-rn"), QStringLiteral("sh"), QStringLiteral("-c"),
                 QStringLiteral("ip link set lo up && %1 || exit 77; exec \"$0\" --echo 127.0.0.1 %2")
                     .arg(setup)
                     .arg(int(method)),
                 QCoreApplication::applicationFilePath()});
    if (!child.waitForFinished(10000) || child.exitStatus() != QProcess::NormalExit)
        QSKIP("no private network namespace here");
    const QByteArray out = child.readAllStandardOutput().trimmed();
    if (child.exitCode() != 0 || out.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no private network namespace here: %1")
                             .arg(QString::fromLocal8Bit(child.readAllStandardError()))));
    QCOMPARE(out, outcome);
}

void TestUpdate::layoutAndTexts()
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

void TestUpdate::showFillsFieldsFromState_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("valid") << "192.168.2.205" << QStringList {"192", "168", "2", "205"};
    QTest::newRow("spaced") << " 10 . 1 . 002 . 7 " << QStringList {"10", "1", "002", "7"};
    QTest::newRow("above 255 keeps fields") << "192.168.2.300" << QStringList {"9", "9", "9", "9"};
    QTest::newRow("five parts keep fields") << "1.2.3.4.5" << QStringList {"9", "9", "9", "9"};
    QTest::newRow("empty keeps fields") << "" << QStringList {"9", "9", "9", "9"};
}

void TestUpdate::showFillsFieldsFromState()
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

void TestUpdate::dotKey_data()
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

void TestUpdate::dotKey()
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

void TestUpdate::executeUpdateRunsTheUpdater()
{
    TestWorkspace ws;
    writeUpdater(ws, 0);
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
    const QStringList starts = updaterStarts(ws);
    QCOMPARE(starts.size(), 1);
    QVERIFY(starts.first().endsWith(QStringLiteral(" 0")));
    QCOMPARE(ws.readFile(QStringLiteral("cwd.txt")).trimmed(), QDir::currentPath().toUtf8());
    QCOMPARE(ws.readFile(QStringLiteral("job-seen.xml")), job);
    QVERIFY(w.boot->isVisible());
    QVERIFY(ws.messages.shown.isEmpty());
}

void TestUpdate::failedCheckChangesNothing_data()
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

void TestUpdate::failedCheckChangesNothing()
{
    QFETCH(Answer, answer);
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QFETCH(int, pingRes);
    TestWorkspace ws;
    writeUpdater(ws, 0);
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
    QVERIFY(updaterStarts(ws).isEmpty());
}

void TestUpdate::unwritableJobFileStopsTheUpdate()
{
    TestWorkspace ws;
    writeUpdater(ws, 0);
    UpdateWindow w(ws);
    // A folder where the job file should be: it cannot be written.
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("Ethernet_Update.xml"))));
    QTest::mouseClick(w.button("Btn_Update"), Qt::LeftButton);
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    QVERIFY(ws.messages.shown.first().text.contains(QStringLiteral("Ethernet_Update.xml")));
    QVERIFY(updaterStarts(ws).isEmpty());
    QVERIFY(w.boot->isVisible());
}

void TestUpdate::cancelStopsTheCheck_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("cancel button") << false;
    QTest::newRow("close box") << true;
}

void TestUpdate::cancelStopsTheCheck()
{
    QFETCH(bool, closeBox);
    TestWorkspace ws;
    writeUpdater(ws, 0);
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
    QVERIFY(updaterStarts(ws).isEmpty());
}

void TestUpdate::startProgramWaitsForTheUpdater()
{
    TestWorkspace ws;
    writeUpdater(ws, 0);
    ws.services.updaterWaitMs = 10000;
    auto main = Create_Windows(ws.state, ws.services);
    ws.writeFile(QStringLiteral("Ethernet_Update.xml"), "<job/>");
    QElapsedTimer clock;
    clock.start();
    QVERIFY(main->Start_Program(ws.path(QStringLiteral("Ethernet_Update.exe")), QString(), false));
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(updaterStarts(ws).size(), 1);
    QVERIFY(ws.messages.shown.isEmpty());
    QVERIFY(!QApplication::overrideCursor());
}

void TestUpdate::startProgramStopsWaitingAtTheLimit()
{
    TestWorkspace ws;
    writeUpdater(ws, 30);
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
    const QStringList starts = updaterStarts(ws);
    bool stillRunning = !starts.isEmpty();
    for (const QString &start : starts) {
        const pid_t pid = start.section(u' ', 0, 0).toInt();
        stillRunning = stillRunning && pid > 0 && ::kill(pid, 0) == 0;
        if (pid > 0)
            ::kill(pid, SIGKILL);
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

void TestUpdate::missingUpdaterIsReported()
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

void TestUpdate::updaterOutlivesTheConfigurator_data()
{
    QTest::addColumn<bool>("killed");
    QTest::newRow("configurator killed") << true;
    QTest::newRow("configurator closed") << false;
}

// Once started, a firmware write is never cut off by this program's end: the updater has no
// pipe to us that could break, no input from us, and a session of its own. Its output goes to
// a log next to the job file.
void TestUpdate::updaterOutlivesTheConfigurator()
{
    QFETCH(bool, killed);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("Ethernet_Update.log"), "the log of an earlier update\n");
    ws.writeFile(QStringLiteral("Ethernet_Update.exe"),
                 "#!/bin/sh\n"
                 "here=$(dirname \"$0\")\n"
                 "echo $$ > \"$here/updater.pid.tmp\"; mv \"$here/updater.pid.tmp\" \"$here/updater.pid\"\n"
                 "readlink /proc/$$/fd/0 > \"$here/stdin.txt\"\n"
                 "sleep 1\n" // the configurator ends meanwhile
                 "i=0; while [ $i -lt 2000 ]; do echo \"writing block $i\"; echo \"warning $i\" >&2; i=$((i+1)); done\n"
                 "echo done > \"$here/finished.txt\"\n");
    QFile::setPermissions(ws.path(QStringLiteral("Ethernet_Update.exe")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The configurator is this test program in a second process, so that it can end for real.
    QProcess configurator;
    configurator.start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--start-updater"), ws.dir.path(), killed ? QStringLiteral("wait") : QStringLiteral("close")});
    QVERIFY(configurator.waitForStarted());
    QVERIFY(configurator.waitForReadyRead(10000));
    QCOMPARE(configurator.readLine().trimmed(), QByteArray("limit passed"));
    const pid_t updater = ws.readFile(QStringLiteral("updater.pid")).trimmed().toInt();
    QVERIFY(updater > 0);
    QCOMPARE(getsid(updater), updater);
    if (killed)
        ::kill(configurator.processId(), SIGKILL);
    QVERIFY(configurator.waitForFinished(10000));

    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(ws.path(QStringLiteral("finished.txt"))) && clock.elapsed() < 10000)
        QTest::qWait(50);
    QVERIFY2(QFile::exists(ws.path(QStringLiteral("finished.txt"))), "the updater was cut off");
    QCOMPARE(ws.readFile(QStringLiteral("stdin.txt")).trimmed(), QByteArray("/dev/null"));
    const QByteArray log = ws.readFile(QStringLiteral("Ethernet_Update.log"));
    QVERIFY(!log.contains("earlier update")); // replaced at each start
    QVERIFY(log.startsWith("writing block 0\n"));
    QVERIFY(log.contains("writing block 1999\n") && log.contains("warning 1999\n"));
}

// `--echo ADDRESS METHOD` sends one real echo and prints its outcome; the namespace test runs it.
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
            if (std::strcmp(argv[3], "wait") == 0) {
                for (;;)
                    ::pause();
            }
        }
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--echo") == 0) {
        QCoreApplication app(argc, argv);
        IcmpPinger pinger(IcmpPinger::Method(std::atoi(argv[3])));
        QString error;
        const Outcome outcome = pinger.echo(QString::fromLocal8Bit(argv[2]), argv[2], kReplyTimeoutMs, &error);
        std::puts(outcome == Outcome::Reply     ? "reply"
                  : outcome == Outcome::NoReply ? "no reply"
                                                : qPrintable(QStringLiteral("error: ") + error));
        return 0;
    }
    QApplication app(argc, argv);
    TestUpdate test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_update.moc"
