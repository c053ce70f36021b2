#include "params/UParGen.h"
#include "support/EditorSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

// Typing in the parameter editor and leaving it.
class TestParGenEditing : public QObject {
    Q_OBJECT

private slots:
    void onlyOnePortIsRs232();
    void dotKeyWalksTheAddressFields_data();
    void dotKeyWalksTheAddressFields();
    void leavingAsksOnlyAfterChanges_data();
    void leavingAsksOnlyAfterChanges();
    void fieldsTakeNothingXmlCannotHold_data();
    void fieldsTakeNothingXmlCannotHold();
};

void TestParGenEditing::onlyOnePortIsRs232()
{
    EditorWorkspace ws;
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

void TestParGenEditing::dotKeyWalksTheAddressFields_data()
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

void TestParGenEditing::dotKeyWalksTheAddressFields()
{
    QFETCH(int, from);
    QFETCH(int, focus);
    QFETCH(bool, dotTyped);
    EditorWorkspace ws;
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

void TestParGenEditing::leavingAsksOnlyAfterChanges_data()
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

void TestParGenEditing::leavingAsksOnlyAfterChanges()
{
    QFETCH(QString, how);
    QFETCH(int, change);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, closes);
    EditorWorkspace ws;
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

void TestParGenEditing::fieldsTakeNothingXmlCannotHold_data()
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
void TestParGenEditing::fieldsTakeNothingXmlCannotHold()
{
    QFETCH(int, id);
    QFETCH(QString, pasted);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    EditorWorkspace ws;
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

QTEST_MAIN(TestParGenEditing)
#include "test_pargen_editing.moc"
