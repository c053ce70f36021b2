#include "core/IntegerConversion.h"
#include "params/ParameterFile.h"
#include "params/SendType.h"
#include "params/Validation.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(std::optional<qint32>)

class TestParameters : public QObject {
    Q_OBJECT

private slots:
    void integerConversion_data();
    void integerConversion();
    void sendTypeOfText_data();
    void sendTypeOfText();

    void missingFileGivesDefaults();
    void keyFallbacks_data();
    void keyFallbacks();
    void foreignRootsGiveDefaults_data();
    void foreignRootsGiveDefaults();
    void brokenFileGivesDefaultsAndReason();
    void saveWritesTheFixedFormat();
    void saveIsStableAndInTableOrder();
    void failedSaveKeepsTheOldFile();

    void rules_data();
    void rules();
};

void TestParameters::integerConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<qint32>>("expected");
    const std::optional<qint32> none;
    QTest::newRow("decimal") << "123" << std::optional<qint32>(123);
    QTest::newRow("leading blanks") << "   42" << std::optional<qint32>(42);
    QTest::newRow("plus") << "+7" << std::optional<qint32>(7);
    QTest::newRow("minus") << "-5" << std::optional<qint32>(-5);
    QTest::newRow("blank then sign") << "  -12" << std::optional<qint32>(-12);
    QTest::newRow("dollar") << "$FF" << std::optional<qint32>(255);
    QTest::newRow("x") << "x1a" << std::optional<qint32>(26);
    QTest::newRow("X") << "X1A" << std::optional<qint32>(26);
    QTest::newRow("0x") << "0x10" << std::optional<qint32>(16);
    QTest::newRow("0X") << "0X10" << std::optional<qint32>(16);
    QTest::newRow("negative hex") << "-$10" << std::optional<qint32>(-16);
    QTest::newRow("eight hex digits") << "$FFFFFFFF" << std::optional<qint32>(-1);
    QTest::newRow("eight hex digits, top bit") << "0x80000000" << std::optional<qint32>(qint32(0x80000000u));
    QTest::newRow("nine hex digits") << "$0FFFFFFFF" << none;
    QTest::newRow("int max") << "2147483647" << std::optional<qint32>(2147483647);
    QTest::newRow("int min") << "-2147483648" << std::optional<qint32>(-2147483647 - 1);
    QTest::newRow("decimal overflow") << "2147483648" << none;
    QTest::newRow("decimal underflow") << "-2147483649" << none;
    QTest::newRow("long decimal") << "99999999999999999999" << none;
    QTest::newRow("leading zeros") << "0000000000012" << std::optional<qint32>(12);
    QTest::newRow("trailing blank") << "3 " << none;
    QTest::newRow("trailing letter") << "3a" << none;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("blanks only") << "   " << none;
    QTest::newRow("sign only") << "-" << none;
    QTest::newRow("prefix only") << "$" << none;
    QTest::newRow("0x only") << "0x" << none;
    QTest::newRow("two signs") << "+-1" << none;
    QTest::newRow("blank after sign") << "- 1" << none;
    QTest::newRow("tab is not a blank") << "\t1" << none;
    QTest::newRow("bad hex digit") << "$FG" << none;
    QTest::newRow("letters") << "abc" << none;
}

void TestParameters::integerConversion()
{
    QFETCH(QString, text);
    QFETCH(std::optional<qint32>, expected);
    QCOMPARE(toInteger(text), expected);
    QCOMPARE(toIntegerDef(text, -99), expected.value_or(-99));
}

void TestParameters::sendTypeOfText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: none
    QTest::newRow("end character") << "0" << int(SendType::EndCharacter);
    QTest::newRow("num bytes on control word") << "1" << int(SendType::NumBytesOnControlWord);
    QTest::newRow("fix num bytes") << "2" << int(SendType::FixNumBytes);
    QTest::newRow("blank and hexadecimal") << " $2" << int(SendType::FixNumBytes);
    QTest::newRow("no selection") << "-1" << -1;
    QTest::newRow("past the list") << "3" << -1;
    QTest::newRow("letters") << "abc" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestParameters::sendTypeOfText()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    ParameterValues values = defaultParameterValues();
    values[Param::Serial_Send_Type] = text;
    const std::optional<SendType> type = sendTypeOf(values);
    QCOMPARE(type ? int(*type) : -1, expected);
    if (type)
        QCOMPARE(sendTypeValue(*type), QString::number(expected));
}

namespace {

ParameterValues loadBytes(TestWorkspace &ws, const QByteArray &data, bool *ok = nullptr, QString *error = nullptr)
{
    ws.writeFile(QStringLiteral("ParGen.xml"), data);
    ParameterValues values;
    QString message;
    const bool loaded = loadParameterFile(ws.path(QStringLiteral("ParGen.xml")), &values, &message);
    if (ok)
        *ok = loaded;
    if (error)
        *error = message;
    return values;
}

QByteArray fixture(const QString &name)
{
    QFile file(fixturePath(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

} // namespace

void TestParameters::missingFileGivesDefaults()
{
    TestWorkspace ws;
    ParameterValues values;
    values.fill(QStringLiteral("junk"));
    QString error;
    QVERIFY(loadParameterFile(ws.path(QStringLiteral("ParGen.xml")), &values, &error));
    QVERIFY(error.isEmpty());
    const QStringList expected{
        "1", "7", "0", "0", "13", "1024", "0", "1", "0", "20",               // serial
        "1", "7", "0", "1", "2", "1", "0", "0", "1", "1",                     // Modbus slave
        "192", "168", "0", "10", "255", "255", "255", "0", "192", "168", "0", "1", "0"}; // Ethernet
    QCOMPARE(QStringList(values.begin(), values.end()), expected);
    QVERIFY(!QFile::exists(ws.path(QStringLiteral("ParGen.xml"))));
}

void TestParameters::keyFallbacks_data()
{
    QTest::addColumn<QByteArray>("body"); // the children of the root
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");

    QTest::newRow("only baud") << QByteArray("<Serial_Baud>3</Serial_Baud>") << int(Param::Serial_Baud) << "3";
    QTest::newRow("baud letters") << QByteArray("<Serial_Baud>abc</Serial_Baud>") << int(Param::Serial_Baud) << "7";
    QTest::newRow("baud empty") << QByteArray("<Serial_Baud></Serial_Baud>") << int(Param::Serial_Baud) << "7";
    QTest::newRow("baud self-closing") << QByteArray("<Serial_Baud/>") << int(Param::Serial_Baud) << "7";
    QTest::newRow("baud trailing blank") << QByteArray("<Serial_Baud>3 </Serial_Baud>") << int(Param::Serial_Baud) << "7";
    QTest::newRow("baud leading blank") << QByteArray("<Serial_Baud> 3</Serial_Baud>") << int(Param::Serial_Baud) << "3";
    QTest::newRow("baud hex") << QByteArray("<Serial_Baud>$3</Serial_Baud>") << int(Param::Serial_Baud) << "3";
    QTest::newRow("baud past the list") << QByteArray("<Serial_Baud>9</Serial_Baud>") << int(Param::Serial_Baud) << "-1";
    QTest::newRow("baud negative") << QByteArray("<Serial_Baud>-5</Serial_Baud>") << int(Param::Serial_Baud) << "-1";
    QTest::newRow("baud last item") << QByteArray("<Serial_Baud>7</Serial_Baud>") << int(Param::Serial_Baud) << "7";
    QTest::newRow("send type past its three items") << QByteArray("<Serial_Send_Type>3</Serial_Send_Type>")
                                                    << int(Param::Serial_Send_Type) << "-1";
    QTest::newRow("send type fix bytes") << QByteArray("<Serial_Send_Type>2</Serial_Send_Type>")
                                         << int(Param::Serial_Send_Type) << "2";
    QTest::newRow("first occurrence wins") << QByteArray("<Serial_Baud>2</Serial_Baud><Serial_Baud>4</Serial_Baud>")
                                           << int(Param::Serial_Baud) << "2";
    QTest::newRow("name is case-sensitive") << QByteArray("<serial_baud>2</serial_baud>") << int(Param::Serial_Baud) << "7";
    QTest::newRow("order does not matter")
        << QByteArray("<ModbusTCPSlave_IP4>77</ModbusTCPSlave_IP4><Serial_Serial>0</Serial_Serial>")
        << int(Param::ModbusTCPSlave_IP4) << "77";
    QTest::newRow("child element") << QByteArray("<Serial_Baud><x>3</x></Serial_Baud>") << int(Param::Serial_Baud) << "7";
    QTest::newRow("text and comment") << QByteArray("<ModbusSlave_ID_Device>5<!--c--></ModbusSlave_ID_Device>")
                                      << int(Param::ModbusSlave_ID_Device) << "1";
    QTest::newRow("cdata") << QByteArray("<ModbusSlave_ID_Device><![CDATA[ 9]]></ModbusSlave_ID_Device>")
                           << int(Param::ModbusSlave_ID_Device) << " 9";
    QTest::newRow("number as typed") << QByteArray("<ModbusSlave_ID_Device>abc</ModbusSlave_ID_Device>")
                                     << int(Param::ModbusSlave_ID_Device) << "abc";
    QTest::newRow("number keeps blanks") << QByteArray("<ModbusSlave_ID_Device> 12 </ModbusSlave_ID_Device>")
                                         << int(Param::ModbusSlave_ID_Device) << " 12 ";
    QTest::newRow("empty number") << QByteArray("<Serial_End_Char></Serial_End_Char>") << int(Param::Serial_End_Char) << "";
    QTest::newRow("number of blanks only") << QByteArray("<Serial_End_Char>   </Serial_End_Char>")
                                           << int(Param::Serial_End_Char) << "   ";
    QTest::newRow("number of a tab and a line break") << QByteArray("<Serial_End_Char>\t\n</Serial_End_Char>")
                                                      << int(Param::Serial_End_Char) << "\t\n";
    QTest::newRow("number of a blank character reference") << QByteArray("<Serial_End_Char>&#32;</Serial_End_Char>")
                                                           << int(Param::Serial_End_Char) << " ";
    QTest::newRow("choice of blanks only takes its default")
        << QByteArray("<Serial_Baud>  </Serial_Baud>") << int(Param::Serial_Baud) << "7";
    QTest::newRow("flag 1") << QByteArray("<Serial_Time_Wait_RX_En>1</Serial_Time_Wait_RX_En>")
                            << int(Param::Serial_Time_Wait_RX_En) << "1";
    QTest::newRow("flag true") << QByteArray("<Serial_Time_Wait_RX_En>true</Serial_Time_Wait_RX_En>")
                               << int(Param::Serial_Time_Wait_RX_En) << "0";
    QTest::newRow("flag 01") << QByteArray("<Serial_Time_Wait_RX_En>01</Serial_Time_Wait_RX_En>")
                             << int(Param::Serial_Time_Wait_RX_En) << "0";
    QTest::newRow("flag blank 1") << QByteArray("<Serial_Time_Wait_RX_En> 1</Serial_Time_Wait_RX_En>")
                                  << int(Param::Serial_Time_Wait_RX_En) << "0";
    QTest::newRow("flag empty clears a set default")
        << QByteArray("<ModbusSlave_Enable_NumByteRX></ModbusSlave_Enable_NumByteRX>")
        << int(Param::ModbusSlave_Enable_NumByteRX) << "0";
    QTest::newRow("missing flag keeps its set default") << QByteArray() << int(Param::ModbusSlave_Enable_NumByteRX) << "1";
    QTest::newRow("unreadable flag keeps its default")
        << QByteArray("<ModbusSlave_Enable_NumByteRX><b/></ModbusSlave_Enable_NumByteRX>")
        << int(Param::ModbusSlave_Enable_NumByteRX) << "1";
}

void TestParameters::keyFallbacks()
{
    QFETCH(QByteArray, body);
    QFETCH(int, id);
    QFETCH(QString, expected);
    TestWorkspace ws;
    bool ok = false;
    const ParameterValues values = loadBytes(ws, "<AnyRoot><Other>5</Other>" + body + "</AnyRoot>", &ok);
    QVERIFY(ok);
    QCOMPARE(values[id], expected);
    // Every other key keeps its default unless the body names it.
    const ParameterValues defaults = defaultParameterValues();
    for (const ParameterDef &def : parameterSet()) {
        if (def.id != id && !body.contains(def.key.toUtf8()))
            QCOMPARE(values[def.id], defaults[def.id]);
    }
}

void TestParameters::foreignRootsGiveDefaults_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("declaration first") << QByteArray("<?xml version=\"1.0\"?><Par_Gen><Serial_Baud>3</Serial_Baud></Par_Gen>");
    QTest::newRow("comment first") << QByteArray("<!--x--><Par_Gen><Serial_Baud>3</Serial_Baud></Par_Gen>");
    QTest::newRow("document type first") << QByteArray("<!DOCTYPE Par_Gen><Par_Gen><Serial_Baud>3</Serial_Baud></Par_Gen>");
    QTest::newRow("document type with a subset")
        << QByteArray("<!DOCTYPE Par_Gen [<!ELEMENT Par_Gen ANY>]><Par_Gen><Serial_Baud>3</Serial_Baud></Par_Gen>");
    QTest::newRow("keys one level down") << QByteArray("<A><Par_Gen><Serial_Baud>3</Serial_Baud></Par_Gen></A>");
}

void TestParameters::foreignRootsGiveDefaults()
{
    QFETCH(QByteArray, data);
    TestWorkspace ws;
    bool ok = false;
    QCOMPARE(loadBytes(ws, data, &ok), defaultParameterValues());
    QVERIFY(ok);
}

void TestParameters::brokenFileGivesDefaultsAndReason()
{
    TestWorkspace ws;
    bool ok = true;
    QString error;
    const ParameterValues values = loadBytes(ws, "<Par_Gen><Serial_Baud>3</Serial_Baud>", &ok, &error);
    QVERIFY(!ok);
    QVERIFY2(error.contains(ws.path(QStringLiteral("ParGen.xml"))), qPrintable(error));
    QCOMPARE(values, defaultParameterValues());
}

void TestParameters::saveWritesTheFixedFormat()
{
    TestWorkspace ws;
    const QString path = ws.path(QStringLiteral("ParGen.xml"));
    QString error;
    QVERIFY2(saveParameterFile(path, defaultParameterValues(), &error), qPrintable(error));
    QCOMPARE(ws.readFile(QStringLiteral("ParGen.xml")), fixture(QStringLiteral("ParGen_defaults.xml")));

    // Odd texts survive a round trip unchanged; markup characters are escaped.
    ParameterValues values = defaultParameterValues();
    values[Param::Serial_Baud] = QStringLiteral("-1");
    values[Param::ModbusSlave_ID_Device] = QStringLiteral(" a<&>\"b ");
    values[Param::Serial_End_Char] = QString();
    QVERIFY(saveParameterFile(path, values, &error));
    ParameterValues loaded;
    QVERIFY(loadParameterFile(path, &loaded, &error));
    QCOMPARE(loaded, values);
}

void TestParameters::saveIsStableAndInTableOrder()
{
    TestWorkspace ws;
    const QString path = ws.path(QStringLiteral("ParGen.xml"));
    // A file with its keys in reverse order and a foreign element.
    QByteArray reversed = "<Par_Gen><Extra>1</Extra>";
    for (auto it = parameterSet().crbegin(); it != parameterSet().crend(); ++it)
        reversed += "<" + it->key.toUtf8() + ">" + it->defaultValue.toUtf8() + "</" + it->key.toUtf8() + ">";
    reversed += "</Par_Gen>";
    bool ok = false;
    const ParameterValues values = loadBytes(ws, reversed, &ok);
    QVERIFY(ok);
    QString error;
    QVERIFY(saveParameterFile(path, values, &error));
    const QByteArray first = ws.readFile(QStringLiteral("ParGen.xml"));
    QCOMPARE(first, fixture(QStringLiteral("ParGen_defaults.xml")));

    ParameterValues again;
    QVERIFY(loadParameterFile(path, &again, &error));
    QVERIFY(saveParameterFile(path, again, &error));
    QCOMPARE(ws.readFile(QStringLiteral("ParGen.xml")), first);
}

void TestParameters::failedSaveKeepsTheOldFile()
{
    TestWorkspace ws;
    QString error;
    QVERIFY(!saveParameterFile(ws.path(QStringLiteral("missing/ParGen.xml")), defaultParameterValues(), &error));
    QVERIFY2(error.contains(ws.path(QStringLiteral("missing/ParGen.xml"))), qPrintable(error));
}

void TestParameters::rules_data()
{
    QTest::addColumn<QStringList>("changes"); // "key=value" on top of the defaults
    QTest::addColumn<std::optional<int>>("broken");
    const std::optional<int> ok;
    auto row = [](const char *name, const QStringList &changes, std::optional<int> broken) {
        QTest::newRow(name) << changes << broken;
    };

    row("defaults pass", {}, ok);
    row("both RS232", {"Serial_Serial=0", "ModbusSlave_Serial=0"}, 471);
    row("both RS232 wins over a bad ID", {"Serial_Serial=0", "ModbusSlave_Serial=0", "ModbusSlave_ID_Device=0"}, 471);
    row("serial RS232 only", {"Serial_Serial=0", "ModbusSlave_Serial=1"}, ok);
    row("slave RS232 only", {"Serial_Serial=1", "ModbusSlave_Serial=0"}, ok);
    row("no selection is not RS232", {"Serial_Serial=-1", "ModbusSlave_Serial=0"}, ok);

    row("end char 255", {"Serial_End_Char=255"}, ok);
    row("end char $FF", {"Serial_End_Char=$FF"}, ok);
    row("end char 0", {"Serial_End_Char=0"}, ok);
    row("end char 256", {"Serial_End_Char=256"}, 472);
    row("end char -1", {"Serial_End_Char=-1"}, 472);
    row("end char empty", {"Serial_End_Char="}, 472);
    row("end char ignored for fix bytes", {"Serial_Send_Type=2", "Serial_End_Char=abc"}, ok);
    row("num bytes 1", {"Serial_Send_Type=2", "Serial_Num_Byte=1"}, ok);
    row("num bytes 1024", {"Serial_Send_Type=2", "Serial_Num_Byte=1024"}, ok);
    row("num bytes 0", {"Serial_Send_Type=2", "Serial_Num_Byte=0"}, 473);
    row("num bytes 1025", {"Serial_Send_Type=2", "Serial_Num_Byte=1025"}, 473);
    row("num bytes ignored for end char", {"Serial_Send_Type=0", "Serial_Num_Byte=0"}, ok);
    row("control word send type skips both", {"Serial_Send_Type=1", "Serial_End_Char=abc", "Serial_Num_Byte=abc"}, ok);
    row("no send type skips both", {"Serial_Send_Type=-1", "Serial_End_Char=abc", "Serial_Num_Byte=abc"}, ok);

    row("wait time on 0", {"Serial_Time_Wait_RX_En=1", "Serial_Time_Wait_RX_Time=0"}, 519);
    row("wait time on 1", {"Serial_Time_Wait_RX_En=1", "Serial_Time_Wait_RX_Time=1"}, ok);
    row("wait time on 1000", {"Serial_Time_Wait_RX_En=1", "Serial_Time_Wait_RX_Time=1000"}, ok);
    row("wait time on 1001", {"Serial_Time_Wait_RX_En=1", "Serial_Time_Wait_RX_Time=1001"}, 519);
    row("wait time off abc", {"Serial_Time_Wait_RX_En=0", "Serial_Time_Wait_RX_Time=abc"}, ok);
    row("time-out never checked", {"Serial_TimeOut_RX=abc"}, ok);

    row("ID 0", {"ModbusSlave_ID_Device=0"}, 474);
    row("ID 1", {"ModbusSlave_ID_Device=1"}, ok);
    row("ID 247", {"ModbusSlave_ID_Device=247"}, ok);
    row("ID 248", {"ModbusSlave_ID_Device=248"}, 474);
    row("ID with leading blank", {"ModbusSlave_ID_Device= 12"}, ok);
    row("ID with trailing blank", {"ModbusSlave_ID_Device=12 "}, 474);
    row("bad ID before bad IP", {"ModbusSlave_ID_Device=abc", "ModbusTCPSlave_IP1=256"}, 474);
    row("read start 65000", {"ModbusSlave_Start_Read=65000"}, ok);
    row("read start 65001", {"ModbusSlave_Start_Read=65001"}, 475);
    row("write start 0", {"ModbusSlave_Start_Write=0"}, ok);
    row("write start 65001", {"ModbusSlave_Start_Write=65001"}, 476);
    row("write start -1", {"ModbusSlave_Start_Write=-1"}, 476);
    row("control word 65535", {"ModbusSlave_Control_Word=65535"}, ok);
    row("control word 65536", {"ModbusSlave_Control_Word=65536"}, 477);
    row("status word 65536", {"ModbusSlave_Status_Word=65536"}, 478);
    row("status word -1", {"ModbusSlave_Status_Word=-1"}, 478);
    row("byte counter 0", {"ModbusSlave_NumByteRX=0"}, ok);
    row("byte counter 65535", {"ModbusSlave_NumByteRX=65535"}, ok);
    row("byte counter 65536", {"ModbusSlave_NumByteRX=65536"}, 512);
    row("byte counter off 65536", {"ModbusSlave_Enable_NumByteRX=0", "ModbusSlave_NumByteRX=65536"}, ok);

    row("IP1 256", {"ModbusTCPSlave_IP1=256"}, 479);
    row("IP1 255", {"ModbusTCPSlave_IP1=255"}, ok);
    row("IP2 -1", {"ModbusTCPSlave_IP2=-1"}, 481);
    row("IP3 empty", {"ModbusTCPSlave_IP3="}, 483);
    row("IP4 256", {"ModbusTCPSlave_IP4=256"}, 485);
    row("SM1 256", {"ModbusTCPSlave_SM1=256"}, 487);
    row("SM2 x", {"ModbusTCPSlave_SM2=x"}, 489);
    row("SM3 256", {"ModbusTCPSlave_SM3=256"}, 491);
    row("SM4 256", {"ModbusTCPSlave_SM4=256"}, 493);
    row("SM4 0", {"ModbusTCPSlave_SM4=0"}, ok);
    row("gateway off 999", {"ModbusTCPSlave_GAT1=999", "ModbusTCPSlave_GAT4=abc"}, ok);
    row("GAT1 on 999", {"ModbusTCPSlave_En_GAT=1", "ModbusTCPSlave_GAT1=999"}, 495);
    row("GAT2 on 256", {"ModbusTCPSlave_En_GAT=1", "ModbusTCPSlave_GAT2=256"}, 497);
    row("GAT3 on 256", {"ModbusTCPSlave_En_GAT=1", "ModbusTCPSlave_GAT3=256"}, 499);
    row("GAT4 on 256", {"ModbusTCPSlave_En_GAT=1", "ModbusTCPSlave_GAT4=256"}, 501);
    row("GAT4 on 255", {"ModbusTCPSlave_En_GAT=1", "ModbusTCPSlave_GAT4=255"}, ok);
    row("serial rule before slave rule", {"Serial_End_Char=300", "ModbusSlave_ID_Device=0"}, 472);
    row("last serial rule before first slave rule",
        {"Serial_Time_Wait_RX_En=1", "Serial_Time_Wait_RX_Time=0", "ModbusSlave_ID_Device=0"}, 519);
    row("byte counter before IP", {"ModbusSlave_NumByteRX=-1", "ModbusTCPSlave_IP1=-1"}, 512);
    row("mask before gateway", {"ModbusTCPSlave_SM4=-1", "ModbusTCPSlave_En_GAT=1", "ModbusTCPSlave_GAT1=-1"}, 493);
}

void TestParameters::rules()
{
    QFETCH(QStringList, changes);
    QFETCH(std::optional<int>, broken);
    ParameterValues values = defaultParameterValues();
    for (const QString &change : changes) {
        const qsizetype eq = change.indexOf(u'=');
        const ParameterDef *def = findParameter(change.left(eq));
        QVERIFY2(def, qPrintable(change));
        values[def->id] = change.mid(eq + 1);
    }
    QCOMPARE(firstBrokenRule(values), broken);
}

QTEST_GUILESS_MAIN(TestParameters)
#include "test_parameters.moc"
