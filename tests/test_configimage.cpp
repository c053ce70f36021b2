#include "app/UWindows.h"
#include "app/UZentreleFirmWare.h"
#include "core/AppState.h"
#include "core/XmlLookup.h"
#include "params/ConfigImage.h"
#include "params/ParameterFile.h"
#include "params/Parameters.h"
#include "support/TestSupport.h"
#include "support/ToolProcess.h"
#include "update/UBoot.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <functional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

using KeyTexts = std::initializer_list<std::pair<Param::Id, const char *>>;

// A parameter file holding just these keys, under the root that the editor writes.
QByteArray parGen(KeyTexts keys, const QByteArray &root = "Par_Gen")
{
    QByteArray xml = '<' + root + '>';
    for (const auto &[id, text] : keys) {
        const QByteArray key = parameter(id).key.toUtf8();
        xml += '<' + key + '>' + text + "</" + key + '>';
    }
    return xml + "</" + root + '>';
}

// The image of a configuration without a parameter file, as the device documentation gives it.
QByteArray noFileImage()
{
    QByteArray image(kImageSize, '\0');
    patch(image, QStringLiteral("0x000: 90 D0 03 00;"
                                "0x00C: 80 25 00 00 08 00 00 00 00 00 00 00 01 00 00 00;"
                                "0x028: C0 A8 02 CD FF FF FF 00 FF FF FF FF 10 27 11 27 11 27 00 00;"
                                "0x03C: 80 25 00 00 08 00 00 00 00 00 00 00;"
                                "0x12C: 80 25 00 00 08 00 00 00 00 00 00 00;"
                                "0x15C: 0D 00 00 04;"
                                "0x164: 01 00 00 00 01 00 00 00;"
                                "0x174: FF FF FF FF;"
                                "0x7FC: 51 11 00 00"));
    return image;
}

// The image of a parameter file that exists but holds no key: every key's missing action.
QByteArray noKeyImage()
{
    QByteArray image = noFileImage();
    patch(image, QStringLiteral("0x00C: 00 C2 01 00; 0x02A: 00 0A; 0x061: 40; 0x12C: 00 C2 01 00; 0x158: 02"));
    return image;
}

quint32 checksumOf(const QByteArray &image)
{
    return qFromLittleEndian<quint32>(image.constData() + 0x7FC);
}

// Byte-level difference, so a failing row names the first wrong offset.
QString firstDifference(const QByteArray &actual, const QByteArray &expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1, expected %2").arg(actual.size()).arg(expected.size());
    for (int i = 0; i < actual.size(); ++i) {
        if (actual.at(i) != expected.at(i))
            return QStringLiteral("offset 0x%1: %2, expected %3")
                .arg(i, 3, 16, QLatin1Char('0'))
                .arg(static_cast<quint8>(actual.at(i)), 2, 16, QLatin1Char('0'))
                .arg(static_cast<quint8>(expected.at(i)), 2, 16, QLatin1Char('0'));
    }
    return QString();
}

// The values a plan or the editor would save to give the keys this file holds; the defaults
// where it holds none.
ParameterValues valuesOfFile(const QByteArray &file)
{
    ParameterValues values = defaultParameterValues();
    QDomDocument doc;
    QString error;
    if (!parseXml(file, QStringLiteral("ParGen.xml"), &doc, &error))
        qFatal("%s", qPrintable(error));
    for (const ParameterDef &def : parameterSet())
        values[def.id] = leafText(firstNode(doc), def.key).value_or(def.defaultValue);
    return values;
}

// Composing from values must give what composing from the file they are saved in gives, or fail
// where that fails; the message names the first difference and the values.
QString valuesRouteDiffers(const ParameterValues &values)
{
    QByteArray fromValues;
    QByteArray fromFile;
    QString error;
    const bool valuesComposed = composeImage(values, QStringLiteral("ParGen.xml"), &fromValues, &error);
    const bool fileComposed = composeImage(parameterFileBytes(values), QStringLiteral("ParGen.xml"), &fromFile, &error);
    QString difference;
    if (valuesComposed != fileComposed)
        difference = valuesComposed ? QStringLiteral("only the values compose") : QStringLiteral("only the file composes");
    else if (valuesComposed)
        difference = firstDifference(fromValues, fromFile);
    if (difference.isEmpty())
        return difference;
    QStringList texts;
    for (const QString &value : values)
        texts << QString::fromLatin1(value.toUtf8().toPercentEncoding());
    return difference + QStringLiteral(" for ") + texts.join(u'|');
}

// A text for any key: often a short exact text, so that switches and shared port blocks come in
// every combination; now the default; now pieces that test the conversion and what the file does
// to blanks, line ends and markup. `hostile` adds characters
// that XML cannot hold.
QString randomValue(QRandomGenerator &random, Param::Id id, bool hostile)
{
    static const QString exact[] = {"0", "1", "2", "-1", "", " ", "\r\n"};
    static const QString pieces[] = {
        " ", "  ", "\t", "\n", "\r", "\r\n", "\u00A0", "\u3000", "0", "1", "7", "00", "-", "+", "$", "x", "0x", "0X",
        "Fe", "ffffffff", "80000000", "123456789", "2147483647", "2147483648", "-2147483648", "99999999999",
        "65537", "abc", "true", "<", ">", "&", "&amp;", "]]>", "<!--", "\"", "\u00E9", "\U0001F527"};
    static const QString nonXml[] = {"\u0001", "\u001B", "\uFFFE", "\uFFFF", QString(QChar(0xDC00)), QString(QChar(0xD800))};
    switch (random.bounded(4)) {
    case 0:
    case 1:
        return exact[random.bounded(int(std::size(exact)))];
    case 2:
        return parameter(id).defaultValue;
    default:
        break;
    }
    QString text;
    for (int i = random.bounded(5); i > 0; --i) {
        text += hostile && random.bounded(8) == 0 ? nonXml[random.bounded(int(std::size(nonXml)))]
                                                  : pieces[random.bounded(int(std::size(pieces)))];
    }
    return text;
}

// Counts the showings of a dialog and closes each at once, after running `onShown`.
class ShowWatcher : public QObject {
public:
    ShowWatcher(QDialog *dialog, std::function<void()> onShown) : m_dialog(dialog), m_onShown(std::move(onShown))
    {
        dialog->installEventFilter(this);
    }
    int shown = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_dialog && event->type() == QEvent::Show) {
            ++shown;
            if (m_onShown)
                m_onShown();
            QTimer::singleShot(0, m_dialog, &QDialog::reject);
        }
        return false;
    }

private:
    QDialog *m_dialog;
    std::function<void()> m_onShown;
};

} // namespace

class TestConfigImage : public QObject {
    Q_OBJECT

private slots:
    void noParameterFileGivesTheInitialImage();
    void keys_data();
    void keys();
    void toolComposesEveryVector_data();
    void toolComposesEveryVector();
    void baudIndex_data();
    void baudIndex();
    void valuesComposeAsTheirFile_data();
    void valuesComposeAsTheirFile();
    void randomValuesComposeAsTheirFile();
    void checksumFollowsEveryByte();
    void serialisesFromAStartPosition();
    void unparsableFileIsReported();
    void composeFillsTheBufferAndSaveWritesIt();
    void composesAreIndependent();
    void failedComposeKeepsTheLastImage();
    void saveFailuresAreReported_data();
    void saveFailuresAreReported();
    void updateDeviceWritesTheImageBeforeTheWindowOpens();
    void updateDeviceFailuresKeepTheWindowClosed_data();
    void updateDeviceFailuresKeepTheWindowClosed();
};

void TestConfigImage::noParameterFileGivesTheInitialImage()
{
    const QByteArray image = composedImage(std::nullopt);
    QVERIFY(image.startsWith(QByteArray::fromHex("90D00300")));
    QCOMPARE(checksumOf(image), 4433u);
    QCOMPARE(image.right(4), QByteArray::fromHex("51110000"));
    QCOMPARE(firstDifference(image, noFileImage()), QString());
}

void TestConfigImage::keys_data()
{
    // Each row: a parameter file, and how its image differs from that of a file without keys.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("changes");
    using namespace Param;

    QTest::newRow("no key: every missing action") << parGen({}) << "";
    QTest::newRow("other root name") << parGen({{ModbusSlave_ID_Device, "5"}}, "Anything") << "0x018: 05";
    QTest::newRow("comment before the root") << "<!-- x --><Par_Gen><ModbusSlave_ID_Device>5</ModbusSlave_ID_Device></Par_Gen>"_ba << "";
    QTest::newRow("declaration before the root")
        << "<?xml version=\"1.0\"?><Par_Gen><ModbusSlave_ID_Device>5</ModbusSlave_ID_Device></Par_Gen>"_ba << "";
    QTest::newRow("document type before the root")
        << "<!DOCTYPE Par_Gen><Par_Gen><ModbusSlave_ID_Device>5</ModbusSlave_ID_Device></Par_Gen>"_ba << "";
    QTest::newRow("key in a grandchild is not read")
        << "<Par_Gen><x><ModbusSlave_ID_Device>5</ModbusSlave_ID_Device></x></Par_Gen>"_ba << "";
    QTest::newRow("first of two occurrences wins")
        << "<Par_Gen><ModbusSlave_ID_Device>5</ModbusSlave_ID_Device><ModbusSlave_ID_Device>6</ModbusSlave_ID_Device></Par_Gen>"_ba
        << "0x018: 05";
    QTest::newRow("element holding an element takes the fall-back")
        << "<Par_Gen><ModbusSlave_ID_Device><a/></ModbusSlave_ID_Device></Par_Gen>"_ba << "";
    QTest::newRow("key names are case-sensitive")
        << "<Par_Gen><modbusslave_id_device>5</modbusslave_id_device></Par_Gen>"_ba << "";

    // 1 and 2: the serial side's block; its baud goes there, the other block keeps 9600.
    QTest::newRow("serial on RS232")
        << parGen({{Serial_Serial, "0"}}) << "0x03C: 00 C2 01 00; 0x12C: 80 25 00 00; 0x158: 03";
    QTest::newRow("serial \" 0\" is RS485") << parGen({{Serial_Serial, " 0"}}) << "";
    QTest::newRow("serial \"00\" is RS485") << parGen({{Serial_Serial, "00"}}) << "";
    QTest::newRow("serial \"1\" is RS485") << parGen({{Serial_Serial, "1"}}) << "";
    QTest::newRow("serial empty is RS485") << parGen({{Serial_Serial, ""}}) << "";

    // 3 and 4: parity, data bits, and the stop bits of 7N.
    QTest::newRow("parity 2") << parGen({{Serial_Parity, "2"}}) << "0x132: 02 00";
    QTest::newRow("parity not a number") << parGen({{Serial_Parity, "abc"}}) << "";
    QTest::newRow("parity keeps low bytes") << parGen({{Serial_Parity, "65537"}}) << "0x132: 01 00";
    QTest::newRow("parity negative") << parGen({{Serial_Parity, "-1"}}) << "0x132: FF FF";
    QTest::newRow("RS232 7N gives 2 stop bits")
        << parGen({{Serial_Serial, "0"}, {Serial_Parity, "0"}, {Serial_DataBits, "0"}})
        << "0x03C: 00 C2 01 00 07 00 00 00 02; 0x12C: 80 25 00 00; 0x158: 03";
    QTest::newRow("RS485 7O keeps 0 stop bits")
        << parGen({{Serial_Serial, "1"}, {Serial_Parity, "1"}, {Serial_DataBits, "0"}}) << "0x130: 07 00 01 00 00";
    QTest::newRow("7 bits, parity missing counts as none") << parGen({{Serial_DataBits, "0"}}) << "0x130: 07 00 00 00 02";
    QTest::newRow("7 bits, parity not a number counts as none")
        << parGen({{Serial_DataBits, "0"}, {Serial_Parity, "x"}}) << "0x130: 07 00 00 00 02";
    QTest::newRow("data bits \" 0\" is 8") << parGen({{Serial_DataBits, " 0"}}) << "";
    QTest::newRow("data bits 1 is 8") << parGen({{Serial_DataBits, "1"}, {Serial_Parity, "0"}}) << "";

    // 5: exactly one send-type bit.
    QTest::newRow("send type 0") << parGen({{Serial_Send_Type, "0"}}) << "";
    QTest::newRow("send type 1") << parGen({{Serial_Send_Type, "1"}}) << "0x158: 04";
    QTest::newRow("send type 2") << parGen({{Serial_Send_Type, "2"}}) << "0x158: 08";
    QTest::newRow("send type -1") << parGen({{Serial_Send_Type, "-1"}}) << "0x158: 08";
    QTest::newRow("send type not a number") << parGen({{Serial_Send_Type, "abc"}}) << "";
    QTest::newRow("send type 1 on RS232")
        << parGen({{Serial_Serial, "0"}, {Serial_Send_Type, "1"}}) << "0x03C: 00 C2 01 00; 0x12C: 80 25 00 00; 0x158: 05";

    // 6 to 8: the serial timing values, narrow ones keeping their low bytes.
    QTest::newRow("end char") << parGen({{Serial_End_Char, "10"}}) << "0x15C: 0A 00";
    QTest::newRow("end char hexadecimal") << parGen({{Serial_End_Char, "$41"}}) << "0x15C: 41 00";
    QTest::newRow("end char not a number") << parGen({{Serial_End_Char, "abc"}}) << "";
    QTest::newRow("end char 70000 keeps low bytes") << parGen({{Serial_End_Char, "70000"}}) << "0x15C: 70 11";
    QTest::newRow("end char -2") << parGen({{Serial_End_Char, "-2"}}) << "0x15C: FE FF";
    QTest::newRow("byte counter") << parGen({{Serial_Num_Byte, "5"}}) << "0x15E: 05 00";
    QTest::newRow("byte counter empty") << parGen({{Serial_Num_Byte, ""}}) << "";
    QTest::newRow("byte counter blanks only, as empty") << parGen({{Serial_Num_Byte, "   "}}) << "";
    QTest::newRow("time-out") << parGen({{Serial_TimeOut_RX, "500"}}) << "0x160: F4 01";
    QTest::newRow("time-out not a number") << parGen({{Serial_TimeOut_RX, "5s"}}) << "";

    // 9: the wait time counts only when switched on by exactly "1".
    QTest::newRow("wait time on") << parGen({{Serial_Time_Wait_RX_En, "1"}, {Serial_Time_Wait_RX_Time, "20"}}) << "0x178: 14";
    QTest::newRow("wait time off") << parGen({{Serial_Time_Wait_RX_En, "0"}, {Serial_Time_Wait_RX_Time, "20"}}) << "";
    QTest::newRow("wait time \" 1\" is off") << parGen({{Serial_Time_Wait_RX_En, " 1"}, {Serial_Time_Wait_RX_Time, "20"}}) << "";
    QTest::newRow("wait time switch missing") << parGen({{Serial_Time_Wait_RX_Time, "20"}}) << "";
    QTest::newRow("wait time on, value missing") << parGen({{Serial_Time_Wait_RX_En, "1"}}) << "";
    QTest::newRow("wait time on, not a number") << parGen({{Serial_Time_Wait_RX_En, "1"}, {Serial_Time_Wait_RX_Time, "x"}}) << "";

    // 10 to 12: the Modbus slave's block gets baud and parity only.
    QTest::newRow("Modbus on RS232")
        << parGen({{ModbusSlave_Serial, "0"}}) << "0x00C: 80 25 00 00; 0x03C: 00 C2 01 00; 0x061: 41";
    QTest::newRow("Modbus \" 0\" is RS485") << parGen({{ModbusSlave_Serial, " 0"}}) << "";
    QTest::newRow("Modbus parity") << parGen({{ModbusSlave_Parity, "2"}}) << "0x012: 02 00";
    QTest::newRow("Modbus parity not a number") << parGen({{ModbusSlave_Parity, "abc"}}) << "";

    // The four ways the two sides can share the blocks.
    QTest::newRow("serial RS232, Modbus RS485")
        << parGen({{Serial_Serial, "0"}, {Serial_Baud, "3"}, {Serial_Parity, "2"}, {Serial_DataBits, "0"},
                   {ModbusSlave_Serial, "1"}, {ModbusSlave_Baud, "4"}, {ModbusSlave_Parity, "1"}})
        << "0x00C: 00 4B 00 00 08 00 01 00 00; 0x03C: 80 25 00 00 07 00 02 00 00; 0x12C: 80 25 00 00; 0x158: 03";
    QTest::newRow("serial RS485, Modbus RS232")
        << parGen({{Serial_Serial, "1"}, {Serial_Baud, "3"}, {Serial_Parity, "0"}, {Serial_DataBits, "0"},
                   {ModbusSlave_Serial, "0"}, {ModbusSlave_Baud, "4"}, {ModbusSlave_Parity, "1"}})
        << "0x00C: 80 25 00 00; 0x03C: 00 4B 00 00 08 00 01 00 00; 0x061: 41; 0x12C: 80 25 00 00 07 00 00 00 02";
    QTest::newRow("both on RS232")
        << parGen({{Serial_Serial, "0"}, {Serial_Baud, "3"}, {Serial_Parity, "0"}, {Serial_DataBits, "0"},
                   {ModbusSlave_Serial, "0"}, {ModbusSlave_Baud, "4"}, {ModbusSlave_Parity, "1"}})
        << "0x00C: 80 25 00 00; 0x03C: 00 4B 00 00 07 00 01 00 02; 0x061: 41; 0x12C: 80 25 00 00; 0x158: 03";
    QTest::newRow("both on RS232, Modbus parity missing keeps the serial one")
        << parGen({{Serial_Serial, "0"}, {Serial_Parity, "2"}, {ModbusSlave_Serial, "0"}})
        << "0x00C: 80 25 00 00; 0x03C: 00 C2 01 00 08 00 02 00; 0x061: 41; 0x12C: 80 25 00 00; 0x158: 03";
    QTest::newRow("both on RS485")
        << parGen({{Serial_Serial, "1"}, {Serial_Baud, "3"}, {Serial_Parity, "2"},
                   {ModbusSlave_Serial, "1"}, {ModbusSlave_Baud, "4"}, {ModbusSlave_Parity, "1"}})
        << "0x00C: 00 4B 00 00 08 00 01 00; 0x12C: 80 25 00 00 08 00 02 00";

    // 13 to 17: the Modbus slave's numbers, each with its fall-back.
    QTest::newRow("slave ID") << parGen({{ModbusSlave_ID_Device, "247"}}) << "0x018: F7";
    QTest::newRow("slave ID hexadecimal") << parGen({{ModbusSlave_ID_Device, "0x10"}}) << "0x018: 10";
    QTest::newRow("slave ID not a number") << parGen({{ModbusSlave_ID_Device, "abc"}}) << "";
    QTest::newRow("start read") << parGen({{ModbusSlave_Start_Read, "100"}}) << "0x164: 64";
    QTest::newRow("start read not a number") << parGen({{ModbusSlave_Start_Read, "x"}}) << "";
    QTest::newRow("start write negative") << parGen({{ModbusSlave_Start_Write, "-5"}}) << "0x168: FB FF FF FF";
    QTest::newRow("start write empty") << parGen({{ModbusSlave_Start_Write, ""}}) << "";
    QTest::newRow("start write a tab and blanks, as empty") << parGen({{ModbusSlave_Start_Write, "\t  "}}) << "";
    QTest::newRow("control word") << parGen({{ModbusSlave_Control_Word, "3"}}) << "0x16C: 03";
    QTest::newRow("control word not a number") << parGen({{ModbusSlave_Control_Word, "q"}}) << "";
    QTest::newRow("status word") << parGen({{ModbusSlave_Status_Word, "70000"}}) << "0x170: 70 11 01";
    QTest::newRow("status word not a number") << parGen({{ModbusSlave_Status_Word, "q"}}) << "";

    // 18: the received-bytes count counts only when switched on by exactly "1".
    QTest::newRow("byte count on") << parGen({{ModbusSlave_Enable_NumByteRX, "1"}, {ModbusSlave_NumByteRX, "16"}}) << "0x174: 10 00 00 00";
    QTest::newRow("byte count off") << parGen({{ModbusSlave_Enable_NumByteRX, "0"}, {ModbusSlave_NumByteRX, "16"}}) << "";
    QTest::newRow("byte count \"true\" is off") << parGen({{ModbusSlave_Enable_NumByteRX, "true"}, {ModbusSlave_NumByteRX, "16"}}) << "";
    QTest::newRow("byte count switch missing") << parGen({{ModbusSlave_NumByteRX, "16"}}) << "";
    QTest::newRow("byte count on, value missing") << parGen({{ModbusSlave_Enable_NumByteRX, "1"}}) << "";
    QTest::newRow("byte count on, not a number") << parGen({{ModbusSlave_Enable_NumByteRX, "1"}, {ModbusSlave_NumByteRX, "abc"}}) << "";

    // 19 to 22: the addresses, one byte per number, and the gateway switch.
    QTest::newRow("IP address")
        << parGen({{ModbusTCPSlave_IP1, "10"}, {ModbusTCPSlave_IP2, "0"}, {ModbusTCPSlave_IP3, "0"}, {ModbusTCPSlave_IP4, "7"}})
        << "0x028: 0A 00 00 07";
    QTest::newRow("IP 300 is 44, others fall back")
        << parGen({{ModbusTCPSlave_IP1, "300"}, {ModbusTCPSlave_IP2, "abc"}, {ModbusTCPSlave_IP3, "-1"}})
        << "0x028: 2C A8 FF 0A";
    QTest::newRow("subnet mask")
        << parGen({{ModbusTCPSlave_SM1, "128"}, {ModbusTCPSlave_SM3, "0"}, {ModbusTCPSlave_SM4, "abc"}})
        << "0x02C: 80 FF 00 00";
    QTest::newRow("gateway enabled")
        << parGen({{ModbusTCPSlave_En_GAT, "1"}, {ModbusTCPSlave_GAT1, "10"}, {ModbusTCPSlave_GAT2, "0"},
                   {ModbusTCPSlave_GAT3, "0"}, {ModbusTCPSlave_GAT4, "1"}})
        << "0x030: 0A 00 00 01";
    QTest::newRow("gateway enabled, numbers fall back")
        << parGen({{ModbusTCPSlave_En_GAT, "1"}, {ModbusTCPSlave_GAT3, "x"}}) << "0x030: C0 A8 00 01";
    QTest::newRow("gateway disabled")
        << parGen({{ModbusTCPSlave_En_GAT, "0"}, {ModbusTCPSlave_GAT1, "10"}}) << "";
    QTest::newRow("gateway \" 1\" is disabled")
        << parGen({{ModbusTCPSlave_En_GAT, " 1"}, {ModbusTCPSlave_GAT1, "10"}}) << "";
    QTest::newRow("gateway switch missing") << parGen({{ModbusTCPSlave_GAT1, "10"}}) << "";

    // A file as the editor saves it with every default.
    QByteArray defaults = "<Par_Gen>";
    for (const ParameterDef &def : parameterSet())
        defaults += '<' + def.key.toUtf8() + '>' + def.defaultValue.toUtf8() + "</" + def.key.toUtf8() + '>';
    defaults += "</Par_Gen><!--SW_VERSION = 1.200-->";
    QTest::newRow("editor defaults") << defaults << "0x164: 02; 0x174: 01 00 00 00";
}

void TestConfigImage::keys()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, changes);
    QByteArray expected = noKeyImage();
    patch(expected, changes);
    const QByteArray image = composedImage(file);
    QCOMPARE(firstDifference(image.left(0x7FC), expected.left(0x7FC)), QString());
    QCOMPARE(checksumOf(image), sumBeforeChecksum(image));

    // The same texts saved as a configuration's values compose alike from the values.
    QCOMPARE(valuesRouteDiffers(valuesOfFile(file)), QString());
}

void TestConfigImage::valuesComposeAsTheirFile_data()
{
    QTest::addColumn<QString>("changes"); // to the defaults
    QTest::newRow("defaults") << "";
    // The one place where a blank text and a missing key differ: a blank parity is 0, while a
    // missing one keeps what the serial side put on a shared block.
    QTest::newRow("blank Modbus parity on the shared block")
        << "Serial_Serial=0;ModbusSlave_Serial=0;Serial_Parity=2;ModbusSlave_Parity=  ";
    QTest::newRow("line ends") << "Serial_Serial=0\r\n;Serial_DataBits=\r0;ModbusTCPSlave_En_GAT=1\r;ModbusSlave_ID_Device=\r\n";
    QTest::newRow("markup") << "ModbusSlave_ID_Device=<5/>;Serial_End_Char=&amp;;Serial_Num_Byte=]]>;ModbusTCPSlave_IP1=<!--";
    QTest::newRow("hexadecimal and signs")
        << "Serial_End_Char=$FF;Serial_Num_Byte=+0x7fff;ModbusSlave_Enable_NumByteRX=1;ModbusSlave_NumByteRX=-X10";
    QTest::newRow("too large") << "Serial_TimeOut_RX=2147483648;ModbusSlave_Start_Read=99999999999;ModbusTCPSlave_SM1=123456789";
    QTest::newRow("non-breaking and ideographic spaces") << "Serial_Baud=\u00A0;Serial_Parity=\u30003;ModbusSlave_Parity=\u00A0";
    QTest::newRow("a character XML cannot hold") << "ModbusSlave_ID_Device=5\u0001";
    QTest::newRow("a lone surrogate") << QStringLiteral("ModbusSlave_ID_Device=") + QChar(0xD800);
}

void TestConfigImage::valuesComposeAsTheirFile()
{
    QFETCH(QString, changes);
    QCOMPARE(valuesRouteDiffers(valuesWith(changes)), QString());
}

void TestConfigImage::randomValuesComposeAsTheirFile()
{
    QRandomGenerator random(40812);
    for (int round = 0; round < 3000; ++round) {
        ParameterValues values;
        const bool hostile = round % 10 == 0;
        for (int id = 0; id < Param::Count; ++id)
            values[id] = randomValue(random, Param::Id(id), hostile);
        const QString difference = valuesRouteDiffers(values);
        QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("round %1: %2").arg(round).arg(difference)));
    }
}

void TestConfigImage::toolComposesEveryVector_data()
{
    keys_data();
}

// The command-line tool composes each of these files into the same bytes, on every system the
// suite runs on.
void TestConfigImage::toolComposesEveryVector()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, changes);
    QByteArray expected = noKeyImage();
    patch(expected, changes);
    TestWorkspace ws;
    ws.writeFile(QStringLiteral("ParGen.xml"), file);
    const Run run = tool({QStringLiteral("--workspace"), ws.dir.path(), QStringLiteral("image"), QStringLiteral("--input"),
                          ws.path(QStringLiteral("ParGen.xml")), QStringLiteral("--output"), ws.path(QStringLiteral("bank.bin"))});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    const QByteArray image = ws.readFile(QStringLiteral("bank.bin"));
    QCOMPARE(firstDifference(image.left(0x7FC), expected.left(0x7FC)), QString());
    QCOMPARE(checksumOf(image), sumBeforeChecksum(image));
}

void TestConfigImage::baudIndex_data()
{
    QTest::addColumn<QByteArray>("index");
    QTest::addColumn<qint32>("baud");
    const qint32 bauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    for (int i = 0; i < 8; ++i)
        QTest::addRow("%d", i) << QByteArray::number(i) << bauds[i];
    QTest::newRow("8") << "8"_ba << 9600;
    QTest::newRow("-1") << "-1"_ba << 9600;
    QTest::newRow("large") << "2147483647"_ba << 9600;
    QTest::newRow("hexadecimal 5") << "$5"_ba << 38400;
    QTest::newRow("leading blanks") << "  2"_ba << 4800;
    QTest::newRow("trailing blank") << "2 "_ba << 115200;
    QTest::newRow("not a number") << "abc"_ba << 115200;
    QTest::newRow("empty") << ""_ba << 115200;
}

void TestConfigImage::baudIndex()
{
    QFETCH(QByteArray, index);
    QFETCH(qint32, baud);
    // Both sides on RS485, so each baud lands in its own block.
    const QByteArray image = composedImage(parGen({{Param::Serial_Baud, index.constData()}, {Param::ModbusSlave_Baud, index.constData()}}));
    QCOMPARE(qFromLittleEndian<qint32>(image.constData() + 0x12C), baud);
    QCOMPARE(qFromLittleEndian<qint32>(image.constData() + 0x00C), baud);
}

void TestConfigImage::checksumFollowsEveryByte()
{
    // One byte of each field, raised by one, raises the sum by one.
    const struct {
        int offset;
        std::function<void(Config_Image &)> raise;
    } cases[] = {
        {0x000, [](Config_Image &c) { c.Fixed_000 += 1; }},
        {0x00C, [](Config_Image &c) { c.Modbus_RS485_Port.Baud += 1; }},
        {0x018, [](Config_Image &c) { c.ModbusSlave_ID += 1; }},
        {0x02B, [](Config_Image &c) { c.IP_Address[3] += 1; }},
        {0x038, [](Config_Image &c) { c.Fixed_038 += 1; }},
        {0x044, [](Config_Image &c) { c.RS232_Port.Stop_Bits += 1; }},
        {0x061, [](Config_Image &c) { c.ModbusSlave_Port_Code += 1; }},
        {0x132, [](Config_Image &c) { c.Serial_RS485_Port.Parity += 1; }},
        {0x15F, [](Config_Image &c) { c.Serial_Num_Byte += 256; }},
        {0x178, [](Config_Image &c) { c.Serial_Time_Wait_RX += 1; }},
    };
    Config_Image record;
    Clear_Image(record);
    QByteArray base(kImageSize, '\0');
    Serialise_Image(record, 0, base);
    for (const auto &c : cases) {
        Config_Image changed = record;
        c.raise(changed);
        QByteArray image(kImageSize, '\0');
        Serialise_Image(changed, 0, image);
        QByteArray expected = base;
        expected[c.offset] = static_cast<char>(static_cast<quint8>(base.at(c.offset)) + 1);
        QCOMPARE(firstDifference(image.left(0x7FC), expected.left(0x7FC)), QString());
        QCOMPARE(checksumOf(image), checksumOf(base) + 1);
    }
}

void TestConfigImage::serialisesFromAStartPosition()
{
    Config_Image record;
    Clear_Image(record);
    QByteArray buffer(200 + kImageSize + 50, '\xAA');
    QCOMPARE(Serialise_Image(record, 200, buffer), 200 + kImageSize);
    QCOMPARE(buffer.left(200), QByteArray(200, '\xAA'));
    QCOMPARE(buffer.mid(200, kImageSize), noFileImage());
    QCOMPARE(buffer.right(50), QByteArray(50, '\xAA'));
}

void TestConfigImage::unparsableFileIsReported()
{
    QByteArray image = "untouched";
    QString error;
    QVERIFY(!composeImage("<Par_Gen><Serial_Baud>3</Par_Gen>"_ba, QStringLiteral("/p/ParGen.xml"), &image, &error));
    QCOMPARE(image, "untouched"_ba);
    QVERIFY2(error.startsWith(QDir::toNativeSeparators(QStringLiteral("/p/ParGen.xml: "))) && error.contains(QStringLiteral("line 1")), qPrintable(error));
}

void TestConfigImage::composeFillsTheBufferAndSaveWritesIt()
{
    TestWorkspace ws;
    ws.useProject(QStringLiteral("Plant"));
    QCOMPARE(ws.state.Image_Length, 0);

    QString error;
    QVERIFY(Compose_Image(ws.state, &error));
    QCOMPARE(ws.state.Image_Length, kImageSize);
    QCOMPARE(ws.state.Image_Buffer.left(ws.state.Image_Length), noFileImage());

    const QByteArray file = parGen({{Param::ModbusSlave_ID_Device, "9"}});
    ws.writeFile(QStringLiteral("PROJECTS/Plant/ParGen.xml"), file);
    QVERIFY(Compose_Image(ws.state, &error));
    QVERIFY2(Save_Image(ws.state, &error), qPrintable(error));
    QCOMPARE(ws.readFile(QStringLiteral("PROJECTS/Plant/bin/bank.bin")), composedImage(file));
}

void TestConfigImage::composesAreIndependent()
{
    TestWorkspace ws;
    ws.useProject(QStringLiteral("B"));
    ws.writeFile(QStringLiteral("PROJECTS/B/ParGen.xml"),
                 parGen({{Param::Serial_Serial, "0"}, {Param::Serial_DataBits, "0"}, {Param::ModbusTCPSlave_En_GAT, "1"}}));
    ws.useProject(QStringLiteral("A"));
    ws.writeFile(QStringLiteral("PROJECTS/A/ParGen.xml"), parGen({{Param::ModbusSlave_ID_Device, "3"}}));

    QString error;
    QVERIFY(Compose_Image(ws.state, &error));
    const QByteArray first = ws.state.Image_Buffer;
    QVERIFY(Compose_Image(ws.state, &error));
    QCOMPARE(ws.state.Image_Buffer, first);

    // Nothing of another configuration's image survives into the next one.
    ws.useProject(QStringLiteral("B"));
    QVERIFY(Compose_Image(ws.state, &error));
    QVERIFY(ws.state.Image_Buffer != first);
    ws.useProject(QStringLiteral("A"));
    QVERIFY(Compose_Image(ws.state, &error));
    QCOMPARE(ws.state.Image_Buffer, first);
}

void TestConfigImage::failedComposeKeepsTheLastImage()
{
    TestWorkspace ws;
    ws.useProject(QStringLiteral("Plant"));
    QString error;
    QVERIFY(Compose_Image(ws.state, &error));
    ws.writeFile(QStringLiteral("PROJECTS/Plant/ParGen.xml"), "<Par_Gen>");
    QVERIFY(!Compose_Image(ws.state, &error));
    QVERIFY2(error.contains(QStringLiteral("ParGen.xml")), qPrintable(error));
    QCOMPARE(ws.state.Image_Length, kImageSize);
    QCOMPARE(ws.state.Image_Buffer, noFileImage());

    // A parameter file that exists but cannot be read is a failure too, not "no file".
    QFile::remove(ws.state.ParGen_File);
    QVERIFY(QDir().mkpath(ws.state.ParGen_File));
    QVERIFY(!Compose_Image(ws.state, &error));
    QVERIFY2(error.contains(QStringLiteral("ParGen.xml")), qPrintable(error));
}

void TestConfigImage::saveFailuresAreReported_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("bank.bin is a folder") << "PROJECTS/Plant/bin/bank.bin";
    QTest::newRow("no bin folder") << "";
}

void TestConfigImage::saveFailuresAreReported()
{
    QFETCH(QString, obstacle);
    TestWorkspace ws;
    ws.useProject(QStringLiteral("Plant"));
    if (obstacle.isEmpty())
        QVERIFY(QDir(ws.path(QStringLiteral("PROJECTS/Plant/bin"))).removeRecursively());
    else
        QVERIFY(QDir().mkpath(ws.path(obstacle)));
    QString error;
    QVERIFY(Compose_Image(ws.state, &error));
    QVERIFY(!Save_Image(ws.state, &error));
    QVERIFY2(error.startsWith(imageFilePath(ws.state) + QStringLiteral(": ")), qPrintable(error));
    QVERIFY(!QFileInfo(imageFilePath(ws.state)).isFile());
}

void TestConfigImage::updateDeviceWritesTheImageBeforeTheWindowOpens()
{
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Plant/bin"))));
    ws.writeFile(QStringLiteral("Zentrel.xml"), "<Conf_Settings><lastproj><projectname>Plant</projectname></lastproj></Conf_Settings>");
    ws.writeFile(QStringLiteral("PROJECTS/Plant/bin/bank.bin"), "old");
    const QByteArray first = parGen({{Param::ModbusSlave_ID_Device, "7"}});
    ws.writeFile(QStringLiteral("PROJECTS/Plant/ParGen.xml"), first);
    auto main = Create_Windows(ws.state, ws.services);
    main->show();

    QByteArray atShow;
    ShowWatcher watcher(main->FBoot, [&] {
        atShow = ws.readFile(QStringLiteral("PROJECTS/Plant/bin/bank.bin"));
        QCOMPARE(main->FBoot->Form_Type, 1);
    });
    auto *button = main->findChild<QPushButton *>(QStringLiteral("Btn_CreateBin"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(atShow, composedImage(first));

    // Every press composes anew, even after the update window was cancelled.
    const QByteArray second = parGen({{Param::ModbusSlave_ID_Device, "8"}});
    ws.writeFile(QStringLiteral("PROJECTS/Plant/ParGen.xml"), second);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(watcher.shown, 2);
    QCOMPARE(atShow, composedImage(second));
    QVERIFY(ws.messages.shown.isEmpty());
}

void TestConfigImage::updateDeviceFailuresKeepTheWindowClosed_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("named");
    QTest::newRow("bank.bin cannot be written") << QByteArray() << "PROJECTS/Plant/bin/bank.bin" << "bank.bin";
    QTest::newRow("parameter file cannot be parsed") << "<Par_Gen><Serial_Baud>"_ba << "" << "ParGen.xml";
}

void TestConfigImage::updateDeviceFailuresKeepTheWindowClosed()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, obstacle);
    QFETCH(QString, named);
    TestWorkspace ws;
    QVERIFY(QDir().mkpath(ws.path(QStringLiteral("PROJECTS/Plant/bin"))));
    ws.writeFile(QStringLiteral("Zentrel.xml"), "<Conf_Settings><lastproj><projectname>Plant</projectname></lastproj></Conf_Settings>");
    if (!file.isNull())
        ws.writeFile(QStringLiteral("PROJECTS/Plant/ParGen.xml"), file);
    if (!obstacle.isEmpty())
        QVERIFY(QDir().mkpath(ws.path(obstacle)));
    auto main = Create_Windows(ws.state, ws.services);
    main->show();

    ShowWatcher watcher(main->FBoot, {});
    QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("Btn_CreateBin")), Qt::LeftButton);
    QCOMPARE(watcher.shown, 0);
    QCOMPARE(ws.messages.shown.size(), 1);
    QCOMPARE(ws.messages.shown.first().kind, QStringLiteral("general"));
    QVERIFY2(ws.messages.shown.first().text.contains(named), qPrintable(ws.messages.shown.first().text));
    QVERIFY(!QFileInfo(ws.path(QStringLiteral("PROJECTS/Plant/bin/bank.bin"))).isFile());
}

QTEST_MAIN(TestConfigImage)
#include "test_configimage.moc"
