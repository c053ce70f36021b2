#include "params/ConfigImage.h"
#include "params/ImageImport.h"
#include "params/ParameterFile.h"
#include "params/Validation.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// Composes the file that import would write, so a failure shows the first wrong byte.
void checkRoundTrip(const QByteArray &image, const ImageImport &imported)
{
    const QByteArray again =
        composedImage(imported.hasParameterFile ? std::optional<QByteArray>(parameterFileBytes(imported.values)) : std::nullopt);
    QCOMPARE(again.size(), kImageSize);
    for (int i = 0; i < kImageSize; ++i) {
        if (again.at(i) != image.at(i))
            QFAIL(qPrintable(QStringLiteral("byte 0x%1 differs").arg(i, 3, 16, QLatin1Char('0'))));
    }
}

QString randomHex(QRandomGenerator &random, int digits)
{
    return QString::number(random.bounded(1u << (4 * digits)), 16);
}

// Any text a parameter file may hold for a key, the editor's and the odd ones: wrapping
// numbers, hexadecimal, signs, blanks, indices out of range, no number at all.
QString oddText(QRandomGenerator &random)
{
    switch (random.bounded(12)) {
    case 0:
        return QString::number(random.bounded(-3, 12));
    case 1:
        return QString::number(qint32(random.generate()));
    case 2:
        return QStringLiteral("$") + randomHex(random, 1 + random.bounded(7));
    case 3:
        return QStringLiteral("-0x") + randomHex(random, 1 + random.bounded(7));
    case 4:
        return QStringLiteral("  ") + QString::number(random.bounded(300));
    case 5:
        return QString::number(random.bounded(65536 * 3) - 65536);
    case 6:
        return QStringLiteral("abc");
    case 7:
        return QString();
    case 8:
        return QStringLiteral("1 ");
    case 9:
        return QStringLiteral("00");
    case 10:
        return QStringLiteral("0");
    default:
        return QStringLiteral("1");
    }
}

// A parameter file as any program might write it: odd texts, and keys left out.
QByteArray randomOddFile(QRandomGenerator &random)
{
    QByteArray xml = "<Par_Gen>";
    for (const ParameterDef &def : parameterSet()) {
        if (random.bounded(8) == 0)
            continue;
        const QByteArray key = def.key.toUtf8();
        // Switches and port choices compare exact texts: give "0" and "1" their fair share.
        const QString text = def.kind != ParameterKind::Number && random.bounded(2) ? QString::number(random.bounded(2))
                                                                                    : oddText(random);
        xml += '<' + key + '>' + text.toUtf8() + "</" + key + '>';
    }
    return xml + "</Par_Gen>";
}

// A set the editor's OK accepts, with numbers as the editor's user types them.
ParameterValues randomValidSet(QRandomGenerator &random)
{
    ParameterValues v;
    const auto pick = [&random](int low, int high) { return QString::number(random.bounded(low, high + 1)); };
    const int serialPort = random.bounded(3); // 0: serial RS232, 1: Modbus RS232, 2: neither
    v[Param::Serial_Serial] = serialPort == 0 ? QStringLiteral("0") : QStringLiteral("1");
    v[Param::ModbusSlave_Serial] = serialPort == 1 ? QStringLiteral("0") : QStringLiteral("1");
    v[Param::Serial_Baud] = pick(0, 7);
    v[Param::Serial_Parity] = pick(0, 2);
    v[Param::Serial_Send_Type] = pick(0, 2);
    v[Param::Serial_End_Char] = pick(0, 255);
    v[Param::Serial_Num_Byte] = pick(1, 1024);
    v[Param::Serial_TimeOut_RX] = QString::number(qint32(random.generate()));
    v[Param::Serial_DataBits] = pick(0, 1);
    v[Param::Serial_Time_Wait_RX_En] = pick(0, 1);
    v[Param::Serial_Time_Wait_RX_Time] = pick(1, 1000);
    v[Param::ModbusSlave_Baud] = pick(0, 7);
    v[Param::ModbusSlave_Parity] = pick(0, 2);
    v[Param::ModbusSlave_ID_Device] = pick(1, 247);
    v[Param::ModbusSlave_Start_Read] = pick(0, 65000);
    v[Param::ModbusSlave_Start_Write] = pick(0, 65000);
    v[Param::ModbusSlave_Control_Word] = pick(0, 65535);
    v[Param::ModbusSlave_Status_Word] = pick(0, 65535);
    v[Param::ModbusSlave_Enable_NumByteRX] = pick(0, 1);
    v[Param::ModbusSlave_NumByteRX] = pick(0, 65535);
    for (int i = 0; i < 4; ++i) {
        v[Param::ModbusTCPSlave_IP1 + i] = pick(0, 255);
        v[Param::ModbusTCPSlave_SM1 + i] = pick(0, 255);
        v[Param::ModbusTCPSlave_GAT1 + i] = pick(0, 254); // 255.255.255.255 stands for no gateway
    }
    v[Param::ModbusTCPSlave_En_GAT] = pick(0, 1);
    return v;
}

} // namespace

class TestImageImport : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void initialImageHasNoParameterFile();
    void randomImagesComeBack();
    void refusals_data();
    void refusals();
};

void TestImageImport::roundTrip_data()
{
    QTest::addColumn<QString>("file");     // changes to the defaults
    QTest::addColumn<QString>("imported"); // what import chooses, where it is not the file's text
    QTest::addColumn<QString>("unknown");  // keys the image does not hold

    const QString noGatewayNumbers = QStringLiteral("ModbusTCPSlave_GAT1 ModbusTCPSlave_GAT2 ModbusTCPSlave_GAT3 "
                                                    "ModbusTCPSlave_GAT4 Serial_Time_Wait_RX_Time");
    QTest::newRow("defaults") << "" << "" << noGatewayNumbers;
    QTest::newRow("serial RS232, Modbus RS485")
        << "Serial_Serial=0;Serial_Baud=2;Serial_Parity=2;Serial_DataBits=0;ModbusSlave_Baud=4" << "" << noGatewayNumbers;
    QTest::newRow("serial RS485, Modbus RS232")
        << "ModbusSlave_Serial=0;ModbusSlave_Baud=1;ModbusSlave_Parity=1;Serial_DataBits=0" << "" << noGatewayNumbers;
    QTest::newRow("both RS232, 7 bits, no parity")
        << "Serial_Serial=0;ModbusSlave_Serial=0;Serial_Baud=1;Serial_DataBits=0;ModbusSlave_Baud=5"
        << "Serial_Baud=7" << noGatewayNumbers + " Serial_Baud";
    QTest::newRow("both RS232, 7 bits, even parity")
        << "Serial_Serial=0;ModbusSlave_Serial=0;Serial_Parity=2;Serial_DataBits=0;ModbusSlave_Parity=2"
        << "Serial_Parity=1" << noGatewayNumbers + " Serial_Baud Serial_Parity";
    QTest::newRow("both RS232, 8 bits")
        << "Serial_Serial=0;ModbusSlave_Serial=0;Serial_Parity=1;ModbusSlave_Parity=2"
        << "Serial_Parity=0" << noGatewayNumbers + " Serial_Baud Serial_Parity";
    QTest::newRow("send type num bytes on control word") << "Serial_Send_Type=1" << "" << noGatewayNumbers;
    QTest::newRow("send type fix num bytes") << "Serial_Send_Type=2;Serial_Num_Byte=512" << "" << noGatewayNumbers;
    QTest::newRow("send type out of range") << "Serial_Send_Type=7" << "Serial_Send_Type=2" << noGatewayNumbers;
    QTest::newRow("time wait on") << "Serial_Time_Wait_RX_En=1;Serial_Time_Wait_RX_Time=250" << ""
                                  << noGatewayNumbers.chopped(25);
    QTest::newRow("time wait off keeps no time")
        << "Serial_Time_Wait_RX_En=0;Serial_Time_Wait_RX_Time=250" << "Serial_Time_Wait_RX_Time=20" << noGatewayNumbers;
    QTest::newRow("time wait on with 0 is off")
        << "Serial_Time_Wait_RX_En=1;Serial_Time_Wait_RX_Time=0" << "Serial_Time_Wait_RX_En=0;Serial_Time_Wait_RX_Time=20"
        << noGatewayNumbers;
    QTest::newRow("gateway on") << "ModbusTCPSlave_En_GAT=1;ModbusTCPSlave_GAT4=254" << "" << "Serial_Time_Wait_RX_Time";
    QTest::newRow("gateway of all ones is no gateway")
        << "ModbusTCPSlave_En_GAT=1;ModbusTCPSlave_GAT1=255;ModbusTCPSlave_GAT2=255;ModbusTCPSlave_GAT3=255;"
           "ModbusTCPSlave_GAT4=255"
        << "ModbusTCPSlave_En_GAT=0;ModbusTCPSlave_GAT1=192;ModbusTCPSlave_GAT2=168;ModbusTCPSlave_GAT3=0;"
           "ModbusTCPSlave_GAT4=1"
        << noGatewayNumbers;
    QTest::newRow("byte counter off keeps no register")
        << "ModbusSlave_Enable_NumByteRX=0;ModbusSlave_NumByteRX=77" << "ModbusSlave_NumByteRX=1"
        << noGatewayNumbers + " ModbusSlave_NumByteRX";
    QTest::newRow("byte counter on register -1 is off")
        << "ModbusSlave_NumByteRX=-1" << "ModbusSlave_Enable_NumByteRX=0;ModbusSlave_NumByteRX=1"
        << noGatewayNumbers + " ModbusSlave_NumByteRX";
    QTest::newRow("wraps in 8 bits") << "ModbusTCPSlave_IP1=300;ModbusTCPSlave_SM4=-1"
                                     << "ModbusTCPSlave_IP1=44;ModbusTCPSlave_SM4=255" << noGatewayNumbers;
    QTest::newRow("wraps in 16 bits") << "Serial_End_Char=65549;Serial_Num_Byte=40000;ModbusSlave_Parity=65537"
                                      << "Serial_End_Char=13;Serial_Num_Byte=-25536;ModbusSlave_Parity=1"
                                      << noGatewayNumbers;
    QTest::newRow("parity 0 in 16 bits keeps one stop bit")
        << "Serial_Parity=65536;Serial_DataBits=0" << "" << noGatewayNumbers;
    QTest::newRow("hexadecimal and signs") << "ModbusSlave_ID_Device=$F7;ModbusSlave_Control_Word=-0x10;Serial_TimeOut_RX= +12"
                                           << "ModbusSlave_ID_Device=247;ModbusSlave_Control_Word=-16;Serial_TimeOut_RX=12"
                                           << noGatewayNumbers;
    QTest::newRow("choices out of range") << "Serial_Baud=9;Serial_Parity=5;ModbusSlave_Baud=-1;ModbusSlave_Parity=-1"
                                          << "Serial_Baud=3;ModbusSlave_Baud=3" << noGatewayNumbers;
    QTest::newRow("texts that are no number")
        << "ModbusSlave_Start_Read=abc;Serial_Baud=;ModbusTCPSlave_IP3=1 ;Serial_Serial=00"
        << "ModbusSlave_Start_Read=1;Serial_Baud=7;ModbusTCPSlave_IP3=0;Serial_Serial=1" << noGatewayNumbers;
}

void TestImageImport::roundTrip()
{
    QFETCH(QString, file);
    QFETCH(QString, imported);
    QFETCH(QString, unknown);
    const ParameterValues original = valuesWith(file);
    const QByteArray image = composedImage(parameterFileBytes(original));

    ImageImport result;
    QString error;
    QVERIFY2(importImage(image, &result, &error), qPrintable(error));
    QVERIFY(result.hasParameterFile);
    checkRoundTrip(image, result);

    ParameterValues expected = original;
    QList<Param::Id> choices;
    const ParameterValues chosen = valuesWith(imported, &choices);
    for (const ParameterDef &def : parameterSet()) {
        if (choices.contains(def.id))
            expected[def.id] = chosen[def.id];
        QCOMPARE(result.values[def.id], expected[def.id]);
        QVERIFY2(result.told[def.id] != unknown.split(u' ').contains(def.key), qPrintable(def.key));
    }
}

void TestImageImport::initialImageHasNoParameterFile()
{
    const QByteArray image = composedImage(std::nullopt);
    ImageImport result;
    QString error;
    QVERIFY2(importImage(image, &result, &error), qPrintable(error));
    QVERIFY(!result.hasParameterFile);
    QVERIFY(result.told.none());
    QVERIFY(result.values == defaultParameterValues());

    // A parameter file without a single key composes an image of its own, which imports.
    const QByteArray noKeys = composedImage(QByteArray("<Par_Gen/>"));
    QVERIFY2(importImage(noKeys, &result, &error), qPrintable(error));
    QVERIFY(result.hasParameterFile);
    checkRoundTrip(noKeys, result);
}

void TestImageImport::randomImagesComeBack()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    const QByteArray seedNote = "seed " + QByteArray::number(seed);
    for (int round = 0; round < 1500; ++round) {
        // Every other round a set the editor saves, which must come back as it was.
        const bool valid = round % 2 == 0;
        const ParameterValues original = valid ? randomValidSet(random) : ParameterValues{};
        const QByteArray file = valid ? parameterFileBytes(original) : randomOddFile(random);
        const QByteArray image = composedImage(file);

        ImageImport result;
        QString error;
        if (!importImage(image, &result, &error))
            QFAIL(qPrintable(QStringLiteral("%1, file %2: %3").arg(seedNote, file, error)));
        checkRoundTrip(image, result);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("%1, file %2").arg(seedNote, file)));
        if (!valid)
            continue;
        QVERIFY(!firstBrokenRule(original));
        const ParameterValues defaults = defaultParameterValues();
        for (const ParameterDef &def : parameterSet()) {
            const bool keeps = result.told[def.id] ? result.values[def.id] == original[def.id]
                                                   : result.values[def.id] == defaults[def.id];
            // A switch that is off, with its number left as the user typed it, reads back as off.
            const bool offSwitch = def.kind == ParameterKind::Flag && original[def.id] == u"0";
            if (!keeps && !offSwitch)
                QFAIL(qPrintable(QStringLiteral("%1, file %2: %3 is %4").arg(seedNote, file, def.key, result.values[def.id])));
        }
    }
}

void TestImageImport::refusals_data()
{
    QTest::addColumn<QString>("file"); // the parameter file composing the image; "none" for none
    QTest::addColumn<QString>("changes");
    QTest::addColumn<QString>("message");

    QTest::newRow("reserved byte") << "" << "0x005: 01" << "reserved byte at offset 0x005 is 0x1, not 0";
    QTest::newRow("last reserved byte") << "" << "0x7FB: 80" << "reserved byte at offset 0x7FB is 0x80, not 0";
    QTest::newRow("reserved byte inside the port code's area")
        << "" << "0x062: 01" << "reserved byte at offset 0x062 is 0x1, not 0";
    QTest::newRow("fixed value") << "" << "0x036: 12 27" << "fixed value at offset 0x036 is 10002, not 10001";
    QTest::newRow("fixed value at the start") << "none" << "0x000: 91" << "fixed value at offset 0x000 is 250001, not 250000";
    QTest::newRow("baud rate outside the list")
        << "" << "0x12C: E8 03 00 00" << "Serial_RS485_Port.Baud at offset 0x12C is 1000, not a baud rate of the list";
    QTest::newRow("data bits") << "" << "0x130: 06" << "Serial_RS485_Port.Data_Bits at offset 0x130 is 6, not 7 or 8";
    QTest::newRow("stop bits") << "" << "0x134: 01" << "Serial_RS485_Port.Stop_Bits at offset 0x134 is 1, not 0 or 2";
    QTest::newRow("port code") << "" << "0x061: 42"
                               << "ModbusSlave_Port_Code at offset 0x061 is 0x42, not 0x40 or 0x41";
    QTest::newRow("port code 0 with a parameter file")
        << "" << "0x061: 00" << "ModbusSlave_Port_Code at offset 0x061 is 0, which only the image composed without";
    QTest::newRow("no send type") << "" << "0x158: 00" << "Serial_Flags at offset 0x158 is 0, which only the image";
    QTest::newRow("two send types") << "" << "0x158: 06" << "Serial_Flags at offset 0x158 is 0x6, a combination";
    QTest::newRow("unknown flag") << "" << "0x158: 12" << "Serial_Flags at offset 0x158 is 0x12, a combination";
    QTest::newRow("flags without a parameter file")
        << "none" << "0x158: 02" << "Serial_Flags at offset 0x158 is 0x2, but the image composed without a parameter "
                                    "file holds 0x0";
    QTest::newRow("unused block changed")
        << "" << "0x03C: 00 4B" << "RS232_Port.Baud at offset 0x03C is 19200, but a parameter file that composes the "
                                   "rest of this image gives 9600";
    QTest::newRow("Modbus block with 7 bits")
        << "" << "0x010: 07" << "Modbus_RS485_Port.Data_Bits at offset 0x010 is 7, but a parameter file";
    QTest::newRow("two stop bits with 8 bits")
        << "" << "0x134: 02" << "Serial_RS485_Port.Stop_Bits at offset 0x134 is 2, but a parameter file";
    QTest::newRow("two stop bits with parity")
        << "Serial_DataBits=0;Serial_Parity=1" << "0x134: 02" << "Serial_RS485_Port.Stop_Bits at offset 0x134 is 2";
    QTest::newRow("Modbus block's stop bits when the serial side is elsewhere")
        << "Serial_Serial=0" << "0x014: 02" << "Modbus_RS485_Port.Stop_Bits at offset 0x014 is 2";
    QTest::newRow("initial image with another address")
        << "none" << "0x028: 0A 00 00 01"
        << "IP_Address at offset 0x028 is 10.0.0.1, but the image composed without a parameter file holds 192.168.2.205";
}

void TestImageImport::refusals()
{
    QFETCH(QString, file);
    QFETCH(QString, changes);
    QFETCH(QString, message);
    QByteArray image = composedImage(file == u"none" ? std::nullopt : std::optional(parameterFileBytes(valuesWith(file))));
    patch(image, changes);
    setImageChecksum(image);
    ImageImport result;
    QString error;
    QVERIFY(!importImage(image, &result, &error));
    QVERIFY2(error.startsWith(message), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestImageImport)
#include "test_imageimport.moc"
