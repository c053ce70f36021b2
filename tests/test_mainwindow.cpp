#include "app/Settings.h"
#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/AppState.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QPushButton>
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
    void languageFileSetsTextsAtStart();
    void brokenSettingsFileIsReportedAndStartGoesOn();
    void unwritableSettingsStillCloses();
    void timerFollowsTheFlags();
    void webAddressOpensHomePage();
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

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
