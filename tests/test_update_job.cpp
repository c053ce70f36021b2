#include "support/TestSupport.h"
#include "update/UpdateJob.h"

#include <QTest>

namespace {
const QByteArray kHead = "<Ethernet_Update><Version>1000</Version><Title>Norvexa - KV40812 Ethernet Update</Title>"
                         "<IP_Address_Dev>%IP%</IP_Address_Dev><Application_Port>10000</Application_Port>"
                         "<Boot_Port>2007</Boot_Port><Address_Protection>0x78000</Address_Protection>"
                         "<Protections><Protection>0x15A</Protection></Protections><Operations>";
const QByteArray kTail = "</Operations></Ethernet_Update>";
const QByteArray kFirmware =
    "<Operation><Ope_Protection_Enabled/><Ope_GoToBoot_Before>0</Ope_GoToBoot_Before>"
    "<Ope_GoToApp_Before>0</Ope_GoToApp_Before><Ope_IP_Address/><Ope_Port>2007</Ope_Port>"
    "<Ope_Erase_Memory>0</Ope_Erase_Memory><Ope_FileName>%MASTER%\\sim40812.sim</Ope_FileName>"
    "<Ope_Start_Address>0x8000</Ope_Start_Address><Ope_Memory_Type>0</Ope_Memory_Type>"
    "<Ope_Bank_Type>1</Ope_Bank_Type><Ope_Read_Back>%RB%</Ope_Read_Back><Ope_Write_CSS>1</Ope_Write_CSS>"
    "<Ope_Address_CSS>0x78100</Ope_Address_CSS><Ope_Command_CSS>0x0B</Ope_Command_CSS>"
    "<Ope_Write_Internal_Data>0</Ope_Write_Internal_Data><Ope_WID_Address>0x78200</Ope_WID_Address>"
    "<Ope_WID_Command>0x0B</Ope_WID_Command><Ope_WID_Data/><Ope_GoToApp_After>%GO%</Ope_GoToApp_After></Operation>";
const QByteArray kConfiguration =
    "<Operation><Ope_Protection_Enabled/><Ope_GoToBoot_Before>0</Ope_GoToBoot_Before>"
    "<Ope_GoToApp_Before>0</Ope_GoToApp_Before><Ope_IP_Address/><Ope_Port>2007</Ope_Port>"
    "<Ope_Erase_Memory>0</Ope_Erase_Memory><Ope_FileName>%PROJECT%\\bin\\bank.bin</Ope_FileName>"
    "<Ope_Start_Address>0x68000</Ope_Start_Address><Ope_Memory_Type>0</Ope_Memory_Type>"
    "<Ope_Bank_Type>2</Ope_Bank_Type><Ope_Read_Back>%RB%</Ope_Read_Back><Ope_Write_CSS>0</Ope_Write_CSS>"
    "<Ope_Address_CSS>0x50100</Ope_Address_CSS><Ope_Command_CSS>0x0B</Ope_Command_CSS>"
    "<Ope_Write_Internal_Data>0</Ope_Write_Internal_Data><Ope_WID_Address>0x78200</Ope_WID_Address>"
    "<Ope_WID_Command>0x0B</Ope_WID_Command><Ope_WID_Data/><Ope_GoToApp_After>1</Ope_GoToApp_After></Operation>";

QByteArray operation(QByteArray text, bool readBack, const char *goToApp = "1")
{
    return text.replace("%RB%", readBack ? "1" : "0").replace("%GO%", goToApp);
}
} // namespace

class TestUpdateJob : public QObject {
    Q_OBJECT

private slots:
    void jobFile_data();
    void jobFile();
    void secondJobReplacesFirst();
};

void TestUpdateJob::jobFile_data()
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

void TestUpdateJob::jobFile()
{
    QFETCH(QStringList, address);
    QFETCH(int, option);
    QFETCH(bool, readBack);
    QFETCH(QByteArray, operations);
    TestWorkspace ws;
    UpdateJob job {address, option, readBack, ws.state.Dir_Master, ws.path(QStringLiteral("PROJECTS/Plant"))};
    QString error;
    QVERIFY2(writeUpdateJob(ws.state.Dir_Exe, job, &error), qPrintable(error));

    // The file names its files with "\", or with the system's own separator where that is another.
    QByteArray expected = kHead + operations + kTail;
    expected.replace('\\', QDir::separator().toLatin1()).replace("%IP%", address.join(u'.').toUtf8())
        .replace("%MASTER%", ws.path(QStringLiteral("MASTER")).toUtf8())
        .replace("%PROJECT%", ws.path(QStringLiteral("PROJECTS/Plant")).toUtf8());
    QCOMPARE(ws.readFile(QStringLiteral("Ethernet_Update.xml")), expected);
}

void TestUpdateJob::secondJobReplacesFirst()
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

QTEST_MAIN(TestUpdateJob)
#include "test_update_job.moc"
