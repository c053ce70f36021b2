#include "params/UParGen.h"
#include "support/EditorSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

// The parameter editor's geometry, groups, texts and hints.
class TestParGenLayout : public QObject {
    Q_OBJECT

private slots:
    void layoutFollowsSendTypeAndCollapse_data();
    void layoutFollowsSendTypeAndCollapse();
    void collapseStateSurvivesReopening();
    void textsAndHints();
    void languageChangeRebuildsSendTypes();
    void topEdgeStaysOnScreen();
};

void TestParGenLayout::layoutFollowsSendTypeAndCollapse_data()
{
    QTest::addColumn<int>("sendType");
    QTest::addColumn<bool>("collapsed");
    QTest::addColumn<QList<int>>("groupTops"); // Serial, Modbus Slave, Ethernet
    QTest::addColumn<QList<int>>("groupHeights");
    QTest::addColumn<int>("buttonsTop");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<int>("timeOutTop"); // caption; the field sits 3 higher

    QTest::newRow("end character") << 0 << false << QList<int>{70, 371, 707} << QList<int>{295, 330, 190} << 910
                                   << QSize(312, 951) << 228;
    QTest::newRow("control word") << 1 << false << QList<int>{70, 337, 673} << QList<int>{261, 330, 190} << 876
                                  << QSize(312, 917) << 194;
    QTest::newRow("fix bytes") << 2 << false << QList<int>{70, 371, 707} << QList<int>{295, 330, 190} << 910
                               << QSize(312, 951) << 228;
    QTest::newRow("no selection") << -1 << false << QList<int>{70, 371, 707} << QList<int>{295, 330, 190} << 910
                                  << QSize(312, 951) << 228;
    QTest::newRow("all collapsed") << 0 << true << QList<int>{70, 102, 134} << QList<int>{26, 26, 26} << 173
                                   << QSize(312, 214) << 228;
}

void TestParGenLayout::layoutFollowsSendTypeAndCollapse()
{
    QFETCH(int, sendType);
    QFETCH(bool, collapsed);
    QFETCH(QList<int>, groupTops);
    QFETCH(QList<int>, groupHeights);
    QFETCH(int, buttonsTop);
    QFETCH(QSize, client);
    QFETCH(int, timeOutTop);

    EditorWorkspace ws;
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    child<QComboBox>(&dlg, Param::Serial_Send_Type)->setCurrentIndex(sendType);
    if (collapsed) {
        for (const char *b : {"Btn_Serial_Collapse", "Btn_ModbusSlave_Collapse", "Btn_ModbusTCPSlave_Collapse"})
            click(&dlg, b);
    }
    const char *groups[] = {"GB_Serial", "GB_ModbusSlave", "GB_ModbusTCPSlave"};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(rectOf(&dlg, groups[i]), QRect(8, groupTops[i], 296, groupHeights[i]));
    QCOMPARE(rectOf(&dlg, "Btn_OK"), QRect(71, buttonsTop, 112, 28));
    QCOMPARE(rectOf(&dlg, "Btn_Cancel"), QRect(192, buttonsTop, 112, 28));
    QCOMPARE(dlg.size(), client);

    QWidget *endChar = child<QLineEdit>(&dlg, Param::Serial_End_Char);
    QWidget *numByte = child<QLineEdit>(&dlg, Param::Serial_Num_Byte);
    QCOMPARE(!endChar->isHidden(), sendType == 0);
    QCOMPARE(!named(&dlg, "L_Serial_ST_EndChar")->isHidden(), sendType == 0);
    QCOMPARE(!numByte->isHidden(), sendType == 2 || sendType == -1);
    QCOMPARE(!named(&dlg, "L_Serial_ST_NumByte")->isHidden(), sendType == 2 || sendType == -1);
    QWidget *shown = sendType == 0 ? endChar : numByte;
    if (sendType != 1)
        QCOMPARE(shown->geometry(), QRect(148, 191, 126, 21));
    QCOMPARE(named(&dlg, "CB_Serial_TimeOut")->pos(), QPoint(16, timeOutTop));
    QCOMPARE(child<QLineEdit>(&dlg, Param::Serial_TimeOut_RX)->geometry(), QRect(148, timeOutTop - 3, 126, 21));
    QCOMPARE(child<QCheckBox>(&dlg, Param::Serial_Time_Wait_RX_En)->geometry(), QRect(16, timeOutTop + 34, 121, 17));
    QCOMPARE(child<QLineEdit>(&dlg, Param::Serial_Time_Wait_RX_Time)->geometry(),
             QRect(148, timeOutTop + 31, 126, 21));

    for (const char *g : {"Serial", "ModbusSlave", "ModbusTCPSlave"}) {
        const QByteArray c = QByteArray("Btn_") + g + "_Collapse";
        const QByteArray e = QByteArray("Btn_") + g + "_Expande";
        QCOMPARE(rectOf(&dlg, c.constData()), QRect(280, 10, 11, 11));
        QCOMPARE(rectOf(&dlg, e.constData()), QRect(280, 10, 11, 11));
        QCOMPARE(named(&dlg, c.constData())->isHidden(), collapsed);
        QCOMPARE(named(&dlg, e.constData())->isHidden(), !collapsed);
    }
    QCOMPARE(named(&dlg, "L_Serial_Serial")->isHidden(), collapsed);
    QCOMPARE(child<QComboBox>(&dlg, Param::Serial_Serial)->isHidden(), collapsed);
    QCOMPARE(named(&dlg, "L_ModbusSlave_Serial")->isHidden(), collapsed);
    QCOMPARE(child<QComboBox>(&dlg, Param::ModbusSlave_Serial)->isHidden(), collapsed);
    QCOMPARE(named(&dlg, "L_ModbusTCPSlave_IP_Add")->isHidden(), collapsed);
    QVERIFY(!dlg.findChild<QComboBox *>(QString(), Qt::FindDirectChildrenOnly)); // every list sits in a group
}

void TestParGenLayout::collapseStateSurvivesReopening()
{
    EditorWorkspace ws;
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    click(&dlg, "Btn_ModbusSlave_Collapse");
    QVERIFY(!dlg.GB_ModbusSlave_Visible);
    QCOMPARE(rectOf(&dlg, "GB_ModbusSlave").height(), 26);
    child<QLineEdit>(&dlg, Param::ModbusSlave_ID_Device)->setText(QStringLiteral("9"));
    ws.messages.answer = true;
    dlg.reject();
    QVERIFY(!dlg.isVisible());

    dlg.show();
    QVERIFY(!dlg.GB_ModbusSlave_Visible && dlg.GB_Serial_Visible && dlg.GB_ModbusTCPSlave_Visible);
    QCOMPARE(rectOf(&dlg, "GB_ModbusSlave").height(), 26);
    QCOMPARE(dlg.size(), QSize(312, 951 - 330 + 26));
    QCOMPARE(child<QLineEdit>(&dlg, Param::ModbusSlave_ID_Device)->text(), QStringLiteral("1")); // reloaded

    click(&dlg, "Btn_ModbusSlave_Expande");
    QCOMPARE(rectOf(&dlg, "GB_ModbusSlave"), QRect(8, 371, 296, 330));
    QCOMPARE(dlg.size(), QSize(312, 951));
    for (QWidget *w : named(&dlg, "GB_ModbusSlave")->findChildren<QWidget *>()) {
        if (!w->objectName().startsWith(u"Btn_"))
            QVERIFY2(!w->isHidden(), qPrintable(w->objectName()));
    }
}

void TestParGenLayout::textsAndHints()
{
    EditorWorkspace ws;
    TFParGen dlg(ws.state, ws.services);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Set Communication"));
    QCOMPARE(named<QLabel>(&dlg, "L_SW_Code")->text(), QStringLiteral("KV40812"));
    QCOMPARE(named<QLabel>(&dlg, "L_SW_Desc")->text(), QStringLiteral("Set Communication Setting"));
    QCOMPARE(named<QGroupBox>(&dlg, "GB_Serial")->title(), QStringLiteral(" Serial "));
    QCOMPARE(named<QGroupBox>(&dlg, "GB_ModbusTCPSlave")->title(), QStringLiteral(" Ethernet "));
    QCOMPARE(named<QLabel>(&dlg, "CB_Serial_TimeOut")->text(), QStringLiteral("TimeOut Data RX"));
    QCOMPARE(child<QCheckBox>(&dlg, Param::ModbusTCPSlave_En_GAT)->text(), QStringLiteral("GATEWAY"));
    QCOMPARE(child<QCheckBox>(&dlg, Param::ModbusTCPSlave_En_GAT)->geometry(), QRect(16, 134, 257, 17));
    QCOMPARE(child<QLineEdit>(&dlg, Param::ModbusTCPSlave_GAT4)->geometry(), QRect(214, 154, 60, 21));
    QCOMPARE(child<QLineEdit>(&dlg, Param::ModbusSlave_ID_Device)->geometry(), QRect(82, 123, 192, 21));
    QCOMPARE(child<QLineEdit>(&dlg, Param::ModbusSlave_NumByteRX)->geometry(), QRect(148, 294, 126, 21));
    QCOMPARE(child<QLineEdit>(&dlg, Param::ModbusTCPSlave_SM3)->toolTip(), QStringLiteral("Insert third byte of SubNet Mask"));
    QCOMPARE(named(&dlg, "Btn_Serial_Expande")->toolTip(), QStringLiteral("Expand"));
    QCOMPARE(named(&dlg, "Btn_OK")->toolTip(), QStringLiteral("Confirm and Save the current configuration"));
    QCOMPARE(child<QComboBox>(&dlg, Param::Serial_DataBits)->toolTip(), QString());
    QCOMPARE(child<QComboBox>(&dlg, Param::Serial_Baud)->count(), 8);
    QCOMPARE(child<QComboBox>(&dlg, Param::ModbusSlave_Serial)->itemText(1), QStringLiteral("RS485"));
    // Every parameter has its control.
    for (const ParameterDef &def : parameterSet())
        QVERIFY2(dlg.findChild<QWidget *>(def.control), qPrintable(def.control));
}

void TestParGenLayout::languageChangeRebuildsSendTypes()
{
    EditorWorkspace ws;
    TFParGen dlg(ws.state, ws.services);
    auto *sendType = child<QComboBox>(&dlg, Param::Serial_Send_Type);
    QCOMPARE(sendType->count(), 3);
    QCOMPARE(sendType->itemText(2), QStringLiteral("Fix Num Bytes"));
    sendType->setCurrentIndex(1);
    QCOMPARE(dlg.size(), QSize(312, 917));

    QStringList &texts = ws.state.Text_Table.entries;
    texts[400] = QStringLiteral("Comunicazione");
    texts[411] = QStringLiteral("Carattere finale");
    texts[412] = QStringLiteral("Byte da CW");
    texts[413] = QStringLiteral("Byte fissi");
    dlg.Set_Lang();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Comunicazione"));
    QCOMPARE(sendType->count(), 3);
    QCOMPARE(sendType->itemText(0), QStringLiteral("Carattere finale"));
    QCOMPARE(sendType->itemText(2), QStringLiteral("Byte fissi"));
    QCOMPARE(sendType->currentIndex(), 0);
    QCOMPARE(dlg.size(), QSize(312, 951));
}

void TestParGenLayout::topEdgeStaysOnScreen()
{
    EditorWorkspace ws;
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    QVERIFY(dlg.y() >= 0);
    dlg.move(20, -40);
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&dlg, &activation);
    QCOMPARE(dlg.pos(), QPoint(20, 0));
    dlg.move(20, 30);
    QApplication::sendEvent(&dlg, &activation);
    QCOMPARE(dlg.pos(), QPoint(20, 30));
}

QTEST_MAIN(TestParGenLayout)
#include "test_pargen_layout.moc"
