#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "params/ParameterFile.h"
#include "core/ConfigurationLock.h"
#include "params/UParGen.h"
#include "support/EditorSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// The parameter editor with its configuration's file: loading, checking and saving.
class TestParGenFile : public QObject {
    Q_OBJECT

private slots:
    void okValidatesThenSaves();
    void reopeningShowsSavedValues();
    void blankOnlyTextsComeBack();
    void brokenFileKeepsWhatTheEditorShowedAndIsKeptOnOk();
    void failedSaveKeepsEditorOpen();
    void okWhileAnotherRunWritesSavesNothing();
    void mainWindowOpensActiveConfiguration();
};

void TestParGenFile::okValidatesThenSaves()
{
    EditorWorkspace ws;
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    auto *id = child<QLineEdit>(&dlg, Param::ModbusSlave_ID_Device);
    auto *ip = child<QLineEdit>(&dlg, Param::ModbusTCPSlave_IP1);
    id->setText(QStringLiteral("abc"));
    ip->setText(QStringLiteral("256"));
    click(&dlg, "Btn_OK");
    QCOMPARE(ws.messages.texts(), QStringList{QStringLiteral("Error Modbus Slave!! ID Device must be between 1 and 247")});
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("error"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(id->text(), QStringLiteral("abc"));
    QVERIFY(!QFile::exists(ws.state.ParGen_File));

    ws.messages.clear();
    id->setText(QStringLiteral(" 12"));
    click(&dlg, "Btn_OK");
    QCOMPARE(ws.messages.texts(), QStringList{QStringLiteral("Error Ethernt!! IP Address 1 must be between 0 and 255")});

    ws.messages.clear();
    ip->setText(QStringLiteral("127"));
    child<QLineEdit>(&dlg, Param::ModbusTCPSlave_GAT2)->setText(QStringLiteral("999")); // gateway off
    child<QComboBox>(&dlg, Param::Serial_Baud)->setCurrentIndex(-1);
    click(&dlg, "Btn_OK");
    QVERIFY(ws.messages.shown.isEmpty());
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));

    ParameterValues expected = defaultParameterValues();
    expected[Param::ModbusSlave_ID_Device] = QStringLiteral(" 12");
    expected[Param::ModbusTCPSlave_IP1] = QStringLiteral("127");
    expected[Param::ModbusTCPSlave_GAT2] = QStringLiteral("999");
    expected[Param::Serial_Baud] = QStringLiteral("-1");
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Demo/ParGen.xml")), parameterFileBytes(expected));
}

void TestParGenFile::reopeningShowsSavedValues()
{
    EditorWorkspace ws;
    ParameterValues values = ws.saveParameters({{Param::Serial_Send_Type, "1"},
                                                 {Param::Serial_Baud, "3"},
                                                 {Param::Serial_Time_Wait_RX_En, "1"},
                                                 {Param::ModbusSlave_Enable_NumByteRX, "0"},
                                                 {Param::ModbusSlave_Start_Read, "x"}});
    const QByteArray before = ws.readFile(QStringLiteral("PROJECTS/Demo/ParGen.xml"));

    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    QCOMPARE(dlg.Read_Values(), values);
    QVERIFY(!dlg.Is_Change);
    QCOMPARE(dlg.size(), QSize(312, 917)); // laid out for the loaded send type
    QVERIFY(!dlg.Controllo_Dati());        // read start "x"
    ws.messages.clear();
    values[Param::ModbusSlave_Start_Read] = QStringLiteral("0");
    child<QLineEdit>(&dlg, Param::ModbusSlave_Start_Read)->setText(QStringLiteral("0"));
    click(&dlg, "Btn_OK");
    QVERIFY(!dlg.isVisible());

    // Saving what was loaded rewrites the same bytes but for the one edit.
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Demo/ParGen.xml")), parameterFileBytes(values));
    QVERIFY(before != parameterFileBytes(values));
    dlg.show();
    click(&dlg, "Btn_OK");
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Demo/ParGen.xml")), parameterFileBytes(values));
}

// Blanks are text like any other: what was saved comes back, and saving it again writes it again.
void TestParGenFile::blankOnlyTextsComeBack()
{
    EditorWorkspace ws;
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    auto *timeOut = child<QLineEdit>(&dlg, Param::Serial_TimeOut_RX);
    timeOut->selectAll();
    QTest::keyClick(timeOut, Qt::Key_Delete);
    QTest::keyClicks(timeOut, QStringLiteral("   "));
    click(&dlg, "Btn_OK");
    QVERIFY2(!dlg.isVisible(), qPrintable(ws.messages.texts().join(u'|')));
    const QByteArray saved = ws.readFile(QStringLiteral("PROJECTS/Demo/ParGen.xml"));
    QVERIFY(saved.contains("<Serial_TimeOut_RX>   </Serial_TimeOut_RX>"));

    dlg.show();
    QCOMPARE(child<QLineEdit>(&dlg, Param::Serial_TimeOut_RX)->text(), QStringLiteral("   "));
    QVERIFY(!dlg.Is_Change);
    click(&dlg, "Btn_OK");
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Demo/ParGen.xml")), saved);
}

// A file that does not read loads nothing: the editor shows what it showed, and OK replaces the
// file only after keeping its bytes beside it, as the message said it would.
void TestParGenFile::brokenFileKeepsWhatTheEditorShowedAndIsKeptOnOk()
{
    EditorWorkspace ws;
    ws.saveParameters({{Param::Serial_Send_Type, "1"}, {Param::ModbusSlave_ID_Device, "99"}});

    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    child<QLineEdit>(&dlg, Param::ModbusTCPSlave_IP4)->setText(QStringLiteral("50"));
    const ParameterValues shown = dlg.Read_Values();
    ws.messages.answer = true;
    dlg.reject();

    ws.useProject(QStringLiteral("Broken"));
    const QByteArray broken = "<Par_Gen><Serial_Baud>3</Serial_Baud>";
    ws.writeFile(QStringLiteral("PROJECTS/Broken/ParGen.xml"), broken);
    ws.writeFile(QStringLiteral("PROJECTS/Broken/ParGen.xml.unreadable"), "an earlier copy");
    ws.messages.clear();
    dlg.show();
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    const QString message = ws.messages.shown.first().text;
    QVERIFY2(message.contains(ws.state.ParGen_File) && message.contains(QStringLiteral("kept as ParGen.xml.unreadable")),
             qPrintable(message));
    QCOMPARE(dlg.Read_Values(), shown);
    QVERIFY(!dlg.Is_Change);
    QCOMPARE(dlg.size(), QSize(312, 917)); // laid out for the send type shown

    click(&dlg, "Btn_OK");
    QVERIFY(!dlg.isVisible());
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Broken/ParGen.xml")), parameterFileBytes(shown));
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Broken/ParGen.xml.unreadable")), broken);

    // A file that reads is replaced as it is, and the copy stays as it was.
    dlg.show();
    click(&dlg, "Btn_OK");
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Broken/ParGen.xml.unreadable")), broken);
}

void TestParGenFile::failedSaveKeepsEditorOpen()
{
    EditorWorkspace ws;
    ws.state.ParGen_File = ws.path(QStringLiteral("PROJECTS/Gone/ParGen.xml"));
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    child<QLineEdit>(&dlg, Param::ModbusSlave_ID_Device)->setText(QStringLiteral("42"));
    click(&dlg, "Btn_OK");
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    QVERIFY(ws.messages.shown.first().text.contains(ws.state.ParGen_File));
    QVERIFY(dlg.isVisible());
    QCOMPARE(child<QLineEdit>(&dlg, Param::ModbusSlave_ID_Device)->text(), QStringLiteral("42"));
    QVERIFY(dlg.Is_Change);

    // The folder comes back: the same OK now saves.
    QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Gone")));
    click(&dlg, "Btn_OK");
    QVERIFY(!dlg.isVisible());
    QVERIFY(ws.readFile(QStringLiteral("PROJECTS/Gone/ParGen.xml")).contains("<ModbusSlave_ID_Device>42<"));
}

void TestParGenFile::okWhileAnotherRunWritesSavesNothing()
{
    EditorWorkspace ws;
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    child<QLineEdit>(&dlg, Param::ModbusSlave_ID_Device)->setText(QStringLiteral("42"));
    {
        ConfigurationLock held(ws.state.Project_Dir);
        QString error;
        QVERIFY(held.acquire(&error));
        click(&dlg, "Btn_OK");
    }
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    QVERIFY2(ws.messages.shown.first().text.contains(QStringLiteral("in use by another run")), qPrintable(ws.messages.shown.first().text));
    QVERIFY(dlg.isVisible());
    QVERIFY(!QFile::exists(ws.state.ParGen_File));

    // Once that run has ended, the same OK saves.
    ws.messages.clear();
    click(&dlg, "Btn_OK");
    QVERIFY(!dlg.isVisible());
    QVERIFY(ws.readFile(QStringLiteral("PROJECTS/Demo/ParGen.xml")).contains("<ModbusSlave_ID_Device>42<"));
}

void TestParGenFile::mainWindowOpensActiveConfiguration()
{
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    ws.useProject(QStringLiteral("Alpha"));
    ws.saveParameters({{Param::ModbusSlave_ID_Device, QStringLiteral("33")}});

    main->show();
    QString shownId;
    bool wasEditor = false;
    onNextModal([&](QWidget *modal) {
        auto *editor = qobject_cast<TFParGen *>(modal);
        wasEditor = editor;
        if (editor) {
            shownId = child<QLineEdit>(editor, Param::ModbusSlave_ID_Device)->text();
            editor->reject();
        } else {
            modal->close();
        }
    });
    QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("Btn_Prm_Gen")), Qt::LeftButton);
    QVERIFY(wasEditor);
    QCOMPARE(shownId, QStringLiteral("33"));
    QVERIFY(ws.messages.shown.isEmpty());
}

QTEST_MAIN(TestParGenFile)
#include "test_pargen_file.moc"
