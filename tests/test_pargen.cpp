#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/Constants.h"
#include "i18n/Language.h"
#include "params/ParameterFile.h"
#include "params/UParGen.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestParGen : public QObject {
    Q_OBJECT

private slots:
    void layoutFollowsSendTypeAndCollapse_data();
    void layoutFollowsSendTypeAndCollapse();
    void collapseStateSurvivesReopening();
    void textsAndHints();
    void onlyOnePortIsRs232();
    void dotKeyWalksTheAddressFields_data();
    void dotKeyWalksTheAddressFields();
    void leavingAsksOnlyAfterChanges_data();
    void leavingAsksOnlyAfterChanges();
    void okValidatesThenSaves();
    void reopeningShowsSavedValues();
    void fieldsTakeNothingXmlCannotHold_data();
    void fieldsTakeNothingXmlCannotHold();
    void blankOnlyTextsComeBack();
    void brokenFileShowsDefaultsNotEarlierValues();
    void failedSaveKeepsEditorOpen();
    void languageChangeRebuildsSendTypes();
    void topEdgeStaysOnScreen();
    void mainWindowOpensActiveConfiguration();
};

namespace {

// A workspace with the built-in texts and one configuration folder "Demo".
struct Fixture : TestWorkspace {
    Fixture()
    {
        Set_Default_Lang(state.Text_Table);
        state.SW_Code = kSwCode;
        useProject(QStringLiteral("Demo"));
    }
    void useProject(const QString &name)
    {
        state.Project_Name = name;
        state.Project_Dir = path(QStringLiteral("PROJECTS/") + name);
        QDir().mkpath(joinPath(state.Project_Dir, QStringLiteral("bin")));
        Set_Files(state);
    }
    // Writes the active configuration's file: the defaults with these changes.
    ParameterValues saveParameters(const QList<std::pair<Param::Id, QString>> &changes)
    {
        ParameterValues values = defaultParameterValues();
        for (const auto &[id, text] : changes)
            values[id] = text;
        QString error;
        if (!saveParameterFile(state.ParGen_File, values, &error))
            qFatal("%s", qPrintable(error));
        return values;
    }
};

template <typename T>
T *child(QWidget *w, Param::Id id)
{
    T *c = w->findChild<T *>(parameter(id).control);
    if (!c)
        qFatal("no control for %s", qPrintable(parameter(id).key));
    return c;
}

template <typename T = QWidget>
T *named(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

QRect rectOf(QWidget *w, const char *name)
{
    return named(w, name)->geometry();
}

void click(QWidget *w, const char *name)
{
    QTest::mouseClick(named<QPushButton>(w, name), Qt::LeftButton);
}

} // namespace

void TestParGen::layoutFollowsSendTypeAndCollapse_data()
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

void TestParGen::layoutFollowsSendTypeAndCollapse()
{
    QFETCH(int, sendType);
    QFETCH(bool, collapsed);
    QFETCH(QList<int>, groupTops);
    QFETCH(QList<int>, groupHeights);
    QFETCH(int, buttonsTop);
    QFETCH(QSize, client);
    QFETCH(int, timeOutTop);

    Fixture ws;
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

void TestParGen::collapseStateSurvivesReopening()
{
    Fixture ws;
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

void TestParGen::textsAndHints()
{
    Fixture ws;
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

void TestParGen::onlyOnePortIsRs232()
{
    Fixture ws;
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    auto *serial = child<QComboBox>(&dlg, Param::Serial_Serial);
    auto *slave = child<QComboBox>(&dlg, Param::ModbusSlave_Serial);

    slave->setCurrentIndex(0);
    QCOMPARE(serial->currentIndex(), 1);
    serial->setCurrentIndex(0);
    QCOMPARE(slave->currentIndex(), 1);
    slave->setCurrentIndex(0);
    QCOMPARE(serial->currentIndex(), 1);
    serial->setCurrentIndex(1); // RS485/RS422 changes nothing else
    QCOMPARE(slave->currentIndex(), 0);
    QVERIFY(dlg.Is_Change);

    // A file with both on RS232 loads as it is; the rules refuse to save it.
    ws.saveParameters({{Param::Serial_Serial, "0"}, {Param::ModbusSlave_Serial, "0"}});
    dlg.hide();
    dlg.show();
    QCOMPARE(serial->currentIndex(), 0);
    QCOMPARE(slave->currentIndex(), 0);
    QVERIFY(!dlg.Is_Change);
    click(&dlg, "Btn_OK");
    QCOMPARE(ws.messages.texts(),
             QStringList{QStringLiteral("Error Serial!! Serial cannot be RS232 in both Serial and Modbus Slave")});
    QVERIFY(dlg.isVisible());
}

void TestParGen::dotKeyWalksTheAddressFields_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("focus"); // -1: the focus stays
    QTest::addColumn<bool>("dotTyped");
    QTest::newRow("IP2 to IP3") << int(Param::ModbusTCPSlave_IP2) << int(Param::ModbusTCPSlave_IP3) << false;
    QTest::newRow("IP4 to SM1") << int(Param::ModbusTCPSlave_IP4) << int(Param::ModbusTCPSlave_SM1) << false;
    QTest::newRow("SM4 to GAT1") << int(Param::ModbusTCPSlave_SM4) << int(Param::ModbusTCPSlave_GAT1) << false;
    QTest::newRow("GAT4 stays") << int(Param::ModbusTCPSlave_GAT4) << -1 << false;
    QTest::newRow("Modbus field types it") << int(Param::ModbusSlave_ID_Device) << -1 << true;
}

void TestParGen::dotKeyWalksTheAddressFields()
{
    QFETCH(int, from);
    QFETCH(int, focus);
    QFETCH(bool, dotTyped);
    Fixture ws;
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    auto *field = child<QLineEdit>(&dlg, Param::Id(from));
    field->setFocus();
    field->end(false);
    const QString before = field->text();
    QTest::keyClick(field, '.');
    QCOMPARE(field->text(), dotTyped ? before + QStringLiteral(".") : before);
    QWidget *expected = focus < 0 ? field : child<QLineEdit>(&dlg, Param::Id(focus));
    QCOMPARE(QApplication::focusWidget(), expected);
    if (focus >= 0)
        QCOMPARE(child<QLineEdit>(&dlg, Param::Id(focus))->text(), parameter(Param::Id(focus)).defaultValue);
    // Any other key is typed as usual.
    QTest::keyClick(field, Qt::Key_5);
    QCOMPARE(field->text(), (dotTyped ? before + QStringLiteral(".") : before) + QStringLiteral("5"));
}

void TestParGen::leavingAsksOnlyAfterChanges_data()
{
    QTest::addColumn<QString>("how"); // "cancel", "close" or "escape"
    QTest::addColumn<int>("change");  // 0 none, 1 a value, 2 a value changed and changed back
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closes");
    for (const char *how : {"cancel", "close", "escape"}) {
        const QByteArray h(how);
        QTest::newRow(h + ", untouched") << QString::fromLatin1(how) << 0 << false << false << true;
        QTest::newRow(h + ", changed, No") << QString::fromLatin1(how) << 1 << false << true << false;
        QTest::newRow(h + ", changed, Yes") << QString::fromLatin1(how) << 1 << true << true << true;
        QTest::newRow(h + ", changed back, No") << QString::fromLatin1(how) << 2 << false << true << false;
    }
}

void TestParGen::leavingAsksOnlyAfterChanges()
{
    QFETCH(QString, how);
    QFETCH(int, change);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, closes);
    Fixture ws;
    ws.messages.answer = answer;
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    auto *id = child<QLineEdit>(&dlg, Param::ModbusSlave_ID_Device);
    if (change >= 1)
        QTest::keyClicks(id, QStringLiteral("7"));
    if (change == 2)
        QTest::keyClick(id, Qt::Key_Backspace);

    if (how == u"cancel")
        click(&dlg, "Btn_Cancel");
    else if (how == u"close")
        dlg.close();
    else
        QTest::keyClick(&dlg, Qt::Key_Escape);

    QCOMPARE(ws.messages.texts(),
             asked ? QStringList{QStringLiteral("Do you want to exit without saving changes?")} : QStringList());
    if (asked)
        QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("question"));
    QCOMPARE(dlg.isVisible(), !closes);
    if (closes)
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    else
        QCOMPARE(id->text(), change == 1 ? QStringLiteral("17") : QStringLiteral("1"));
    QVERIFY(!QFile::exists(ws.state.ParGen_File));
}

void TestParGen::okValidatesThenSaves()
{
    Fixture ws;
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

void TestParGen::reopeningShowsSavedValues()
{
    Fixture ws;
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

void TestParGen::fieldsTakeNothingXmlCannotHold_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("time-out, control characters pasted")
        << int(Param::Serial_TimeOut_RX) << QStringLiteral("\u00011\u001F0") << QString() << QStringLiteral("10");
    QTest::newRow("gateway off, U+FFFE and U+FFFF pasted")
        << int(Param::ModbusTCPSlave_GAT1) << QStringLiteral("19\uFFFE2\uFFFF") << QString() << QStringLiteral("192");
    QTest::newRow("lone surrogate pasted, a pair kept")
        << int(Param::ModbusTCPSlave_GAT3) << (QStringLiteral("1") + QChar(0xD800) + QStringLiteral("\U0001F527"))
        << QString() << QStringLiteral("1\U0001F527");
    QTest::newRow("controls typed") << int(Param::Serial_End_Char) << QString() << QStringLiteral("1\u0008\u00013")
                                    << QStringLiteral("13");
}

// A pasted or typed character that XML cannot hold would make the file unreadable at the next
// opening, and OK would then overwrite the whole configuration with defaults.
void TestParGen::fieldsTakeNothingXmlCannotHold()
{
    QFETCH(int, id);
    QFETCH(QString, pasted);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    Fixture ws;
    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    auto *field = child<QLineEdit>(&dlg, Param::Id(id));
    field->setFocus();
    field->selectAll();
    if (!pasted.isEmpty()) {
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClick(field, Qt::Key_Delete);
        for (const QChar c : typed) { // as a keyboard sends them, control characters included
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &press);
        }
    }
    QCOMPARE(field->text(), kept);
    click(&dlg, "Btn_OK");
    QVERIFY2(ws.messages.shown.isEmpty(), qPrintable(ws.messages.texts().join(u'|')));
    QVERIFY(!dlg.isVisible());

    dlg.show();
    QVERIFY2(ws.messages.shown.isEmpty(), qPrintable(ws.messages.texts().join(u'|'))); // the file reads back
    QCOMPARE(child<QLineEdit>(&dlg, Param::Id(id))->text(), kept);
    dlg.reject();
}

// Blanks are text like any other: what was saved comes back, and saving it again writes it again.
void TestParGen::blankOnlyTextsComeBack()
{
    Fixture ws;
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

void TestParGen::brokenFileShowsDefaultsNotEarlierValues()
{
    Fixture ws;
    const ParameterValues first =
        ws.saveParameters({{Param::Serial_Send_Type, "1"}, {Param::ModbusSlave_ID_Device, "99"}});

    TFParGen dlg(ws.state, ws.services);
    dlg.show();
    QCOMPARE(dlg.Read_Values(), first);
    child<QLineEdit>(&dlg, Param::ModbusTCPSlave_IP4)->setText(QStringLiteral("50"));
    ws.messages.answer = true;
    dlg.reject();

    ws.useProject(QStringLiteral("Broken"));
    ws.writeFile(QStringLiteral("PROJECTS/Broken/ParGen.xml"), "<Par_Gen><Serial_Baud>3</Serial_Baud>");
    ws.messages.clear();
    dlg.show();
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    QVERIFY2(ws.messages.shown.first().text.contains(ws.state.ParGen_File), qPrintable(ws.messages.shown.first().text));
    QCOMPARE(dlg.Read_Values(), defaultParameterValues());
    QVERIFY(!dlg.Is_Change);
    QCOMPARE(dlg.size(), QSize(312, 951));

    click(&dlg, "Btn_OK");
    QVERIFY(!dlg.isVisible());
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Broken/ParGen.xml")), parameterFileBytes(defaultParameterValues()));
}

void TestParGen::failedSaveKeepsEditorOpen()
{
    Fixture ws;
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

void TestParGen::languageChangeRebuildsSendTypes()
{
    Fixture ws;
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

void TestParGen::topEdgeStaysOnScreen()
{
    Fixture ws;
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

void TestParGen::mainWindowOpensActiveConfiguration()
{
    TestWorkspace ws;
    auto main = Create_Windows(ws.state, ws.services);
    ws.state.Project_Name = QStringLiteral("Alpha");
    ws.state.Project_Dir = ws.path(QStringLiteral("PROJECTS/Alpha"));
    Set_Files(ws.state);
    ParameterValues values = defaultParameterValues();
    values[Param::ModbusSlave_ID_Device] = QStringLiteral("33");
    QDir().mkpath(ws.state.Project_Dir);
    QString error;
    QVERIFY(saveParameterFile(ws.state.ParGen_File, values, &error));

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

QTEST_MAIN(TestParGen)
#include "test_pargen.moc"
