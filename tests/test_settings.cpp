#include "app/Settings.h"
#include "core/AppState.h"
#include "core/Workspace.h"
#include "support/TestSupport.h"

#include <QTest>

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void writerProducesExactDocument();
    void roundTrip();
    void reading_data();
    void reading();
    void missingFileGivesFallbacks();
    void brokenFileGivesFallbacksAndNamesFile();
    void writingTwiceLeavesOneRoot();
    void failedWriteKeepsOldFile();
};

void TestSettings::writerProducesExactDocument()
{
    TestWorkspace ws;
    setSettingsFallbacks(ws.state);
    ws.state.Project_Name = QStringLiteral("Plant A");
    ws.state.Enable_Update = true;
    ws.state.Auto_Size_Columns = true;
    QCOMPARE(settingsDocument(ws.state),
             QByteArray("<Conf_Settings><lastproj><projectname>Plant A</projectname></lastproj>"
                        "<lastipadd><ipaddress>192.168.2.205</ipaddress></lastipadd>"
                        "<lastlang><language>English</language></lastlang>"
                        "<lastinternet><enable_internet>0</enable_internet><enable_update>1</enable_update>"
                        "<enable_jump_field_tables>0</enable_jump_field_tables>"
                        "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></lastinternet></Conf_Settings>"));
}

void TestSettings::roundTrip()
{
    TestWorkspace ws;
    AppState &s = ws.state;
    s.Project_Name = QStringLiteral("Line <3> & \"co\"");
    s.Device_IP_Address = QStringLiteral("10.0.0.7");
    s.Language_Name = QStringLiteral("Fran\u00e7ais");
    s.Enable_Internet = true;
    s.Enable_Update = false;
    s.Jump_Field_Tables = true;
    s.Auto_Size_Columns = false;
    QString error;
    QVERIFY2(Save_Setting(s, &error), qPrintable(error));
    AppState back;
    setWorkspace(back, ws.dir.path());
    QVERIFY(readSettings(back, &error));
    QCOMPARE(back.Project_Name, s.Project_Name);
    QCOMPARE(back.Device_IP_Address, s.Device_IP_Address);
    QCOMPARE(back.Language_Name, s.Language_Name);
    QCOMPARE(back.Enable_Internet, true);
    QCOMPARE(back.Enable_Update, false);
    QCOMPARE(back.Jump_Field_Tables, true);
    QCOMPARE(back.Auto_Size_Columns, false);
}

void TestSettings::reading_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("flags"); // internet, update, jump, auto-size

    const QByteArray flags = "<lastinternet><enable_internet>1</enable_internet><enable_update>1</enable_update>"
                             "<enable_jump_field_tables>1</enable_jump_field_tables>"
                             "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></lastinternet>";
    QTest::newRow("canonical")
        << "<Conf_Settings><lastproj><projectname>P</projectname></lastproj><lastipadd><ipaddress>1.2.3.4</ipaddress>"
           "</lastipadd><lastlang><language>Deutsch</language></lastlang>" + flags + "</Conf_Settings>"
        << "P" << "1.2.3.4" << "Deutsch" << "1111";
    QTest::newRow("no lastinternet")
        << QByteArray("<Conf_Settings><lastproj><projectname>P</projectname></lastproj>"
                      "<lastipadd><ipaddress>1.2.3.4</ipaddress></lastipadd></Conf_Settings>")
        << "P" << "1.2.3.4" << "English" << "0000";
    QTest::newRow("reordered, extra elements, other root name")
        << "<Other>" + flags + "<junk>x</junk><lastlang><language>Deutsch</language></lastlang>"
           "<lastproj><projectname>P</projectname></lastproj></Other>"
        << "P" << "192.168.2.205" << "Deutsch" << "1111";
    QTest::newRow("two lastproj groups: the first counts")
        << QByteArray("<C><lastproj><projectname>first</projectname></lastproj>"
                      "<lastproj><projectname>second</projectname></lastproj></C>")
        << "first" << "192.168.2.205" << "English" << "0000";
    QTest::newRow("flags true only for 1")
        << QByteArray("<C><lastinternet><enable_internet>true</enable_internet><enable_update>01</enable_update>"
                      "<enable_jump_field_tables> 1</enable_jump_field_tables>"
                      "<Double_Click_Auto_Size>1</Double_Click_Auto_Size></lastinternet></C>")
        << "" << "192.168.2.205" << "English" << "0001";
    QTest::newRow("comment before the element")
        << "<!-- note --><Conf_Settings><lastproj><projectname>P</projectname></lastproj>" + flags + "</Conf_Settings>"
        << "" << "192.168.2.205" << "English" << "0000";
    QTest::newRow("document type before the element")
        << "<!DOCTYPE Conf_Settings><Conf_Settings><lastproj><projectname>P</projectname></lastproj>" + flags
               + "</Conf_Settings>"
        << "" << "192.168.2.205" << "English" << "0000";
    QTest::newRow("blank-only texts are kept as they stand")
        << QByteArray("<C><lastproj><projectname>   </projectname></lastproj><lastipadd><ipaddress>\t</ipaddress>"
                      "</lastipadd><lastlang><language> </language></lastlang></C>")
        << "   " << "\t" << " " << "0000";
    QTest::newRow("empty leaves give empty texts")
        << QByteArray("<C><lastipadd><ipaddress/></lastipadd><lastlang><language></language></lastlang></C>")
        << "" << "" << "" << "0000";
    QTest::newRow("leaf with a child element or mixed content")
        << QByteArray("<C><lastproj><projectname><b>P</b></projectname></lastproj>"
                      "<lastipadd><ipaddress>1.2<!--x-->.3.4</ipaddress></lastipadd></C>")
        << "" << "192.168.2.205" << "English" << "0000";
}

void TestSettings::reading()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, project);
    QFETCH(QString, ip);
    QFETCH(QString, language);
    QFETCH(QString, flags);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("Zentrel.xml"), xml);
    QString error;
    QVERIFY2(readSettings(ws.state, &error), qPrintable(error));
    QCOMPARE(ws.state.Project_Name, project);
    QCOMPARE(ws.state.Device_IP_Address, ip);
    QCOMPARE(ws.state.Language_Name, language);
    const QString got = QString::number(ws.state.Enable_Internet) + QString::number(ws.state.Enable_Update)
                        + QString::number(ws.state.Jump_Field_Tables) + QString::number(ws.state.Auto_Size_Columns);
    QCOMPARE(got, flags);
}

void TestSettings::missingFileGivesFallbacks()
{
    TestWorkspace ws;
    ws.state.Enable_Internet = true;
    ws.state.Project_Name = QStringLiteral("stale");
    QString error;
    QVERIFY(readSettings(ws.state, &error));
    QCOMPARE(ws.state.Project_Name, QString());
    QCOMPARE(ws.state.Device_IP_Address, QStringLiteral("192.168.2.205"));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
    QVERIFY(!ws.state.Enable_Internet);
}

void TestSettings::brokenFileGivesFallbacksAndNamesFile()
{
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("Zentrel.xml"), "<Conf_Settings><lastproj>");
    QString error;
    QVERIFY(!readSettings(ws.state, &error));
    QVERIFY2(error.contains(QStringLiteral("Zentrel.xml")), qPrintable(error));
    QCOMPARE(ws.state.Language_Name, QStringLiteral("English"));
    QCOMPARE(ws.state.Device_IP_Address, QStringLiteral("192.168.2.205"));
}

void TestSettings::writingTwiceLeavesOneRoot()
{
    TestWorkspace ws;
    setSettingsFallbacks(ws.state);
    QString error;
    QVERIFY(Save_Setting(ws.state, &error));
    const QByteArray first = ws.readFile(QStringLiteral("Zentrel.xml"));
    QVERIFY(Save_Setting(ws.state, &error));
    const QByteArray second = ws.readFile(QStringLiteral("Zentrel.xml"));
    QCOMPARE(second, first);
    QCOMPARE(second.count("<Conf_Settings>"), 1);
}

void TestSettings::failedWriteKeepsOldFile()
{
    TestWorkspace ws;
    setSettingsFallbacks(ws.state);
    // A folder where the file should be cannot be replaced, whoever runs the test.
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("Zentrel.xml"))));
    QString error;
    QVERIFY(!Save_Setting(ws.state, &error));
    QVERIFY(error.contains(QStringLiteral("Zentrel.xml")));
    QVERIFY(QFileInfo(ws.path(QStringLiteral("Zentrel.xml"))).isDir());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
