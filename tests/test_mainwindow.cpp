#include "app/Settings.h"
#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/AppState.h"
#include "core/ConfigurationLock.h"
#include "core/Workspace.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void firstStartInEmptyFolder();
    void layoutMatchesTheDesign();
    void stepsNeedAConfiguration_data();
    void stepsNeedAConfiguration();
    void closingSavesSettings_data();
    void closingSavesSettings();
    void deletedConfigurationKeepsItsName();
    void restoresActiveConfiguration();
    void blankNamedConfigurationSurvivesARestart();
    void languageFileSetsTextsAtStart();
    void settingsNamesStayInTheWorkspace();
    void updateDeviceWhileAnotherRunWritesWritesNothing();
    void brokenSettingsFileIsReportedAndStartGoesOn();
    void unwritableSettingsStillCloses();
    void timerFollowsTheFlags();
    void webAddressOpensHomePage();
    void enterPressesNothingUnasked_data();
    void enterPressesNothingUnasked();
    void titleAsTheWindowSystemShowsIt();
};

static QString labelText(QWidget *w, const char *name)
{
    auto *label = w->findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}

void TestMainWindow::firstStartInEmptyFolder()
{
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    for (const char *folder : {"MASTER", "PROJECTS", "LANGUAGE"})
        QVERIFY(QFileInfo(ws.path(QString::fromLatin1(folder))).isDir());
    QCOMPARE(ws.state.Device_IP_Address, QStringLiteral("192.168.2.205"));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
    QVERIFY(!ws.state.Enable_Internet && !ws.state.Enable_Update && !ws.state.Jump_Field_Tables
            && !ws.state.Auto_Size_Columns);
    QVERIFY(!main->Timer_Update->isActive());
    QCOMPARE(labelText(main.get(), "L_Name_Conf"), QStringLiteral("None Configuration Opened "));
    QCOMPARE(labelText(main.get(), "L_Name_Conf_L2"), QStringLiteral("Use Step1 to open or create new configuration"));
    QVERIFY(ws.state.Project_Dir.isEmpty());
    QVERIFY(ws.messages.shown.isEmpty());
}

void TestMainWindow::layoutMatchesTheDesign()
{
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    QCOMPARE(main->size(), QSize(694, 352));
    QVERIFY(main->windowTitle().endsWith(u' '));
    QCOMPARE(main->windowTitle(), QStringLiteral("Norvexa - Configurator KV40812 - Serial / Modbus Slave "));
    const struct {
        const char *name;
        QRect geometry;
        const char *hint;
    } buttons[] = {
        {"Btn_Info", {516, 8, 50, 50}, "Information"},
        {"Btn_Opz", {574, 8, 50, 50}, "Options"},
        {"Btn_Close", {632, 8, 50, 50}, "Close Configurator"},
        {"Btn_New", {80, 112, 170, 36}, "Create a new configuration for the device"},
        {"Btn_Open", {258, 112, 170, 36}, "Open an exists configuration"},
        {"Btn_Prm_Gen", {80, 156, 170, 36}, "Set the main parameters of CAN ports"},
        {"Btn_CreateBin", {80, 200, 170, 36}, "Update the actual Firmware and/or Configuration in the device using the Ethernet port"},
    };
    for (const auto &b : buttons) {
        auto *button = main->findChild<QPushButton *>(QString::fromLatin1(b.name));
        QVERIFY2(button, b.name);
        QCOMPARE(button->geometry(), b.geometry);
        QCOMPARE(button->toolTip(), QString::fromLatin1(b.hint));
        QVERIFY(button->isEnabled());
    }
    QCOMPARE(main->findChild<QPushButton *>("Btn_New")->text(), QStringLiteral("New Configuration"));
    QCOMPARE(main->findChild<QPushButton *>("Btn_Prm_Gen")->text(), QStringLiteral("Set Communication"));
    QCOMPARE(main->findChild<QPushButton *>("Btn_CreateBin")->text(), QStringLiteral("Update Device"));
    QCOMPARE(labelText(main.get(), "L_SW_Code"), QStringLiteral("KV40812"));
    QCOMPARE(labelText(main.get(), "L_SW_Desc"), QStringLiteral("Serial / Modbus Slave - Converter"));
    QCOMPARE(labelText(main.get(), "L_Begin"), QStringLiteral("Begin"));
    QCOMPARE(labelText(main.get(), "L_Step_3"), QStringLiteral("Step 3"));
    QCOMPARE(main->findChild<QLabel *>("L_Step_3")->pos(), QPoint(16, 216));
    QCOMPARE(main->findChild<QLabel *>("L_Norvexa")->pos(), QPoint(565, 216));
    QCOMPARE(main->findChild<QWidget *>("Shape1")->geometry(), QRect(10, 251, 674, 1));
    QCOMPARE(main->findChild<QWidget *>("Shape2")->geometry(), QRect(80, 70, 348, 36));
    QCOMPARE(main->findChild<QLabel *>("LL_Update")->geometry(), QRect(208, 19, 294, 17));
    QVERIFY(main->findChild<QLabel *>("LL_Update")->isHidden());
    QVERIFY(main->findChild<QLabel *>("L_Step_4")->isHidden());
}

void TestMainWindow::stepsNeedAConfiguration_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Set Communication") << "Btn_Prm_Gen";
    QTest::newRow("Update Device") << "Btn_CreateBin";
}

void TestMainWindow::stepsNeedAConfiguration()
{
    QFETCH(QString, button);
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    QTest::mouseClick(main->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("error"));
    QCOMPARE(ws.messages.shown.first().text, QStringLiteral("Error! Project not Valid"));
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(QDir(ws.path(QStringLiteral("PROJECTS"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TestMainWindow::closingSavesSettings_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("Btn_Close") << true;
    QTest::newRow("close box") << false;
}

void TestMainWindow::closingSavesSettings()
{
    QFETCH(bool, byButton);
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    if (byButton)
        QTest::mouseClick(main->findChild<QPushButton *>("Btn_Close"), Qt::LeftButton);
    else
        main->close();
    QVERIFY(!main->isVisible());
    AppState expected;
    setSettingsFallbacks(expected);
    QCOMPARE(ws.readFile(QStringLiteral("Zentrel.xml")), settingsDocument(expected));
}

void TestMainWindow::deletedConfigurationKeepsItsName()
{
    TestWorkspace ws;
    AppState saved;
    setWorkspace(saved, ws.dir.path());
    setSettingsFallbacks(saved);
    saved.Project_Name = QStringLiteral("Gone");
    saved.Device_IP_Address = QStringLiteral("127.0.0.1");
    QString error;
    QVERIFY(Save_Setting(saved, &error));

    auto main = Create_Windows(ws.state, ws.services);
    QVERIFY(ws.state.Project_Dir.isEmpty());
    QCOMPARE(ws.state.Project_Name, QStringLiteral("Gone"));
    QCOMPARE(labelText(main.get(), "L_Name_Conf"), QStringLiteral("None Configuration Opened "));
    main->close();
    QCOMPARE(ws.readFile(QStringLiteral("Zentrel.xml")), settingsDocument(saved));
}

void TestMainWindow::restoresActiveConfiguration()
{
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Plant 1/bin"))));
    ws.writeFile(QStringLiteral("Zentrel.xml"), "<Conf_Settings><lastproj><projectname>Plant 1</projectname></lastproj></Conf_Settings>");
    auto main = Create_Windows(ws.state, ws.services);
    QCOMPARE(ws.state.Project_Dir, ws.path(QStringLiteral("PROJECTS/Plant 1")));
    QCOMPARE(ws.state.ParGen_File, ws.path(QStringLiteral("PROJECTS/Plant 1/ParGen.xml")));
    QCOMPARE(labelText(main.get(), "L_Name_Conf"), QStringLiteral("Opened Configuration of the Converter : "));
    QCOMPARE(labelText(main.get(), "L_Name_Conf_L2"), QStringLiteral("Plant 1"));
}

void TestMainWindow::blankNamedConfigurationSurvivesARestart()
{
    if (systemHasWindowsNames())
        QSKIP("Windows holds no folder named with blanks only");
    TestWorkspace ws;
    {
        auto main = Create_Windows(ws.state, ws.services);
        main->show();
        onNextModal([](QWidget *dialog) {
            auto *edit = dialog->findChild<QLineEdit *>("E_New_Proj");
            QTest::keyClicks(edit, QStringLiteral("   "));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QTest::mouseClick(main->findChild<QPushButton *>("Btn_New"), Qt::LeftButton);
        QCOMPARE(ws.state.Project_Name, QStringLiteral("   "));
        main->close();
    }
    QVERIFY(ws.messages.shown.isEmpty());

    AppState again; // the next start
    setWorkspace(again, ws.dir.path());
    auto main = Create_Windows(again, ws.services);
    QCOMPARE(again.Project_Name, QStringLiteral("   "));
    QCOMPARE(again.Project_Dir, ws.path(QStringLiteral("PROJECTS/   ")));
    QCOMPARE(labelText(main.get(), "L_Name_Conf"), QStringLiteral("Opened Configuration of the Converter : "));
    QCOMPARE(labelText(main.get(), "L_Name_Conf_L2"), QStringLiteral("   "));
}

void TestMainWindow::languageFileSetsTextsAtStart()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("Zentrel.xml"), "<Conf_Settings><lastlang><language>Test</language></lastlang></Conf_Settings>");
    ws.writeFile(QStringLiteral("LANGUAGE/Test.lng"),
                 "\xEF\xBB\xBFSTR0 = Anfang\r\nSTR9 = \xC2\xB6Keine Konfiguration \xC2\xB6\r\nSTR15 = Neue Konfiguration\r\n");
    auto main = Create_Windows(ws.state, ws.services);
    QCOMPARE(labelText(main.get(), "L_Begin"), QStringLiteral("Anfang"));
    QCOMPARE(labelText(main.get(), "L_Name_Conf"), QStringLiteral("Keine Konfiguration "));
    QCOMPARE(main->findChild<QPushButton *>("Btn_New")->text(), QStringLiteral("Neue Konfiguration"));
    QCOMPARE(main->findChild<QPushButton *>("Btn_Open")->text(), QStringLiteral("Open Configuration"));
}

// Anyone may have written the settings file: its names lead to nothing outside PROJECTS and
// LANGUAGE, and are kept as they were, as a missing folder's name is.
void TestMainWindow::settingsNamesStayInTheWorkspace()
{
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("Outside/bin"))));
    ws.writeFile(QStringLiteral("Outside.lng"), "STR0 = Draussen\n");
    ws.writeFile(QStringLiteral("Zentrel.xml"), "<Conf_Settings><lastproj><projectname>../Outside</projectname></lastproj>"
                                                "<lastlang><language>../Outside</language></lastlang></Conf_Settings>");
    auto main = Create_Windows(ws.state, ws.services);
    QVERIFY(ws.state.Project_Dir.isEmpty());
    QCOMPARE(ws.state.Project_Name, QStringLiteral("../Outside"));
    QCOMPARE(labelText(main.get(), "L_Name_Conf"), QStringLiteral("None Configuration Opened "));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
    QCOMPARE(labelText(main.get(), "L_Begin"), QStringLiteral("Begin"));
    main->show();
    QTest::mouseClick(main->findChild<QPushButton *>("Btn_CreateBin"), Qt::LeftButton);
    QCOMPARE(ws.messages.texts(), QStringList{QStringLiteral("Error! Project not Valid")});
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("Outside/bin/bank.bin"))));
}

void TestMainWindow::updateDeviceWhileAnotherRunWritesWritesNothing()
{
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Plant/bin"))));
    ws.writeFile(QStringLiteral("Zentrel.xml"), "<C><lastproj><projectname>Plant</projectname></lastproj></C>");
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    bool updateWindowOpened = false;
    QTimer::singleShot(0, main.get(), [&updateWindowOpened] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            updateWindowOpened = true;
            modal->close();
        }
    });
    {
        ConfigurationLock held(ws.path(QStringLiteral("PROJECTS/Plant")));
        QString error;
        QVERIFY(held.acquire(&error));
        QTest::mouseClick(main->findChild<QPushButton *>("Btn_CreateBin"), Qt::LeftButton);
    }
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    QVERIFY2(ws.messages.shown.first().text.contains(QStringLiteral("in use by another run")), qPrintable(ws.messages.shown.first().text));
    QVERIFY(!QFileInfo::exists(ws.path(QStringLiteral("PROJECTS/Plant/bin/bank.bin"))));
    QTest::qWait(50);
    QVERIFY(!updateWindowOpened);
}

void TestMainWindow::brokenSettingsFileIsReportedAndStartGoesOn()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("Zentrel.xml"), "<Conf_Settings><lastproj>");
    auto main = Create_Windows(ws.state, ws.services);
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    QVERIFY(ws.messages.shown.first().text.contains(QStringLiteral("Zentrel.xml")));
    QCOMPARE(labelText(main.get(), "L_Begin"), QStringLiteral("Begin"));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
    main->close();
    AppState expected;
    setSettingsFallbacks(expected);
    QCOMPARE(ws.readFile(QStringLiteral("Zentrel.xml")), settingsDocument(expected));
}

void TestMainWindow::unwritableSettingsStillCloses()
{
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("Zentrel.xml"))));
    main->close();
    QVERIFY(!main->isVisible());
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
}

void TestMainWindow::timerFollowsTheFlags()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("Zentrel.xml"),
                 "<C><lastinternet><enable_internet>1</enable_internet><enable_update>1</enable_update></lastinternet></C>");
    auto main = Create_Windows(ws.state, ws.services);
    QVERIFY(main->Timer_Update->isActive());
    QCOMPARE(main->Timer_Update->interval(), 60000);

    ws.state.Enable_Update = false;
    main->applyTimerRule();
    QVERIFY(!main->Timer_Update->isActive());
}

void TestMainWindow::webAddressOpensHomePage()
{
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    QTest::mouseClick(main->findChild<QLabel *>("L_Norvexa"), Qt::LeftButton);
    QCOMPARE(ws.openedUrls.size(), 1);
    QCOMPARE(ws.openedUrls.first().toString(), QStringLiteral("http://127.0.0.1:9/HOME/default.asp?frompg=KV40812"));
}

void TestMainWindow::enterPressesNothingUnasked_data()
{
    QTest::addColumn<QString>("window");
    for (const char *name : {"TFNew_Project", "TFOpenConf", "TFAbout", "TFSoftOptions", "TFParGen", "TFBoot"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// Enter, or the keypad's Enter, in any control of a dialog closes nothing and starts nothing: a
// button the user did not point at is never pressed. (Enter in the new name is OK, by design.)
void TestMainWindow::enterPressesNothingUnasked()
{
    QFETCH(QString, window);
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Plant/bin"))));
    ws.writeFile(QStringLiteral("Zentrel.xml"),
                 "<C><lastproj><projectname>Plant</projectname></lastproj><lastipadd><ipaddress>127.0.0.1</ipaddress></lastipadd></C>");
    auto main = Create_Windows(ws.state, ws.services);
    main->show();
    auto *dialog = main->findChild<QDialog *>(window);
    QVERIFY(dialog);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog, kPatienceMs));

    int tried = 0;
    QList<QWidget *> controls = dialog->findChildren<QWidget *>();
    controls.prepend(dialog); // nothing in particular has the focus
    for (QWidget *control : controls) {
        if ((control != dialog && control->focusPolicy() == Qt::NoFocus) || !control->isVisible() || !control->isEnabled()
            || (qobject_cast<QAbstractButton *>(control) && !qobject_cast<QCheckBox *>(control))
            || control->objectName() == u"E_New_Proj")
            continue;
        for (const auto &[key, modifiers] : {std::pair{Qt::Key_Return, Qt::NoModifier}, std::pair{Qt::Key_Enter, Qt::KeypadModifier}}) {
            control->setFocus();
            QTest::keyClick(control, key, modifiers);
            QVERIFY2(dialog->isVisible(), qPrintable(control->objectName()));
            QCOMPARE(dialog->result(), 0);
            QVERIFY2(ws.messages.shown.isEmpty(), qPrintable(control->objectName() + QStringLiteral(": ") + ws.messages.texts().join(u'|')));
            ++tried;
        }
    }
    QVERIFY(tried > 0);
    QVERIFY(!QFile::exists(ws.path(QStringLiteral("Ethernet_Update.xml"))));
    QVERIFY(!QFile::exists(ws.path(QStringLiteral("PROJECTS/Plant/ParGen.xml"))));
    dialog->hide();
}

// What the window system gets is what the user reads in the title bar: the real program under
// a private X server, its window's _NET_WM_NAME read back with xprop. Nothing is appended to
// the caption (Qt appends an application display name to every title when one is set).
void TestMainWindow::titleAsTheWindowSystemShowsIt()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xprop = QStandardPaths::findExecutable(QStringLiteral("xprop"));
    const QString xwininfo = QStandardPaths::findExecutable(QStringLiteral("xwininfo"));
    if (xvfb.isEmpty() || xprop.isEmpty() || xwininfo.isEmpty())
        QSKIP("needs Xvfb, xprop and xwininfo (scripts/install-deps.sh installs them)");
    QProcess server;
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    QVERIFY2(server.waitForStarted(kPatienceMs), qPrintable(processReport(server)));
    const auto stopServer = qScopeGuard([&] {
        server.terminate();
        server.waitForFinished(kPatienceMs);
    });
    QVERIFY2(server.waitForReadyRead(kPatienceMs), qPrintable(processReport(server)));
    const QString display = QStringLiteral(":") + QString::fromLatin1(server.readLine().trimmed());

    TestWorkspace ws;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("KV40812_WEB_BASE"), QStringLiteral("http://127.0.0.1:9"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(KV_GUI_PATH), {QStringLiteral("--workspace"), ws.dir.path()});
    QVERIFY2(program.waitForStarted(kPatienceMs), qPrintable(processReport(program)));
    const auto stopProgram = qScopeGuard([&] {
        program.terminate();
        program.waitForFinished(kPatienceMs);
    });

    // The top-level window that carries the program's class.
    QString window;
    QElapsedTimer clock;
    clock.start();
    while (window.isEmpty() && clock.elapsed() < kPatienceMs && program.state() == QProcess::Running) {
        QProcess list;
        list.setProcessEnvironment(env);
        list.start(xwininfo, {QStringLiteral("-root"), QStringLiteral("-children")});
        list.waitForFinished(kPatienceMs);
        for (const QString &line : QString::fromUtf8(list.readAllStandardOutput()).split(u'\n')) {
            if (line.contains(QStringLiteral("\"kv40812\"")) && line.contains(QStringLiteral("694x352")))
                window = line.trimmed().section(u' ', 0, 0);
        }
        if (window.isEmpty())
            QTest::qWait(100);
    }
    QVERIFY2(!window.isEmpty(), qPrintable(QStringLiteral("the main window never appeared: ") + processReport(program)));
    QProcess property;
    property.setProcessEnvironment(env);
    property.start(xprop, {QStringLiteral("-id"), window, QStringLiteral("_NET_WM_NAME")});
    QVERIFY2(property.waitForFinished(kPatienceMs), qPrintable(processReport(property)));
    QCOMPARE(QString::fromUtf8(property.readAllStandardOutput()).trimmed(),
             QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"Norvexa - Configurator KV40812 - Serial / Modbus Slave \""));
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
