// The image commands: image, inspect.
#include "tool/Tool.h"

#include "core/AppState.h"
#include "core/ConfigurationLock.h"
#include "core/FileIO.h"
#include "core/Ipv4.h"
#include "params/ConfigImage.h"
#include "params/Validation.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <optional>

namespace {
// Update Device composes whatever the file holds; the tool composes it too, but says so.
void warnOfBrokenRule(ToolContext &tool, const QString &parGenFile)
{
    ParameterValues values;
    if (!loadParameterFile(parGenFile, &values, nullptr))
        return;
    if (const std::optional<int> broken = firstBrokenRule(values))
        tool.warn(tool.state.text(*broken));
}
} // namespace

int cmdImage(ToolContext &tool)
{
    const QString output = tool.line.value(QStringLiteral("--output"));
    QString error;
    QByteArray image;
    std::optional<ConfigurationLock> lock; // a configuration's pair is read and written whole
    if (tool.line.has(QStringLiteral("--input"))) {
        // A loose parameter file: no configuration involved.
        tool.expectArguments(0, "no configuration with --input");
        if (output.isEmpty())
            throw UsageError{QStringLiteral("image --input needs --output FILE")};
        const QString input = tool.line.value(QStringLiteral("--input"));
        QByteArray parGen;
        if (!readWholeFile(input, &parGen, &error) || !composeImage(parGen, input, &image, &error))
            return tool.fail(kExitUsage, error);
        warnOfBrokenRule(tool, input);
    } else {
        tool.expectArguments(1, "one configuration");
        // Exactly as Update Device composes it.
        tool.state.Project_Dir = tool.projectFolder(tool.line.arguments.first());
        Set_Files(tool.state);
        if (!lock.emplace(tool.state.Project_Dir).acquire(&error))
            return tool.fail(kExitRefused, error);
        if (!Compose_Image(tool.state, &error))
            return tool.fail(kExitUsage, error);
        image = tool.state.Image_Buffer.left(tool.state.Image_Length);
        warnOfBrokenRule(tool, tool.state.ParGen_File);
    }
    if (!output.isEmpty())
        return tool.writeOutput(output, image);
    if (!saveImageFile(tool.state.Project_Dir, image, &error))
        return tool.fail(kExitUsage, error);
    tool.out << QDir::toNativeSeparators(imageFilePath(tool.state)) << Qt::endl;
    return kExitOk;
}

namespace {

using namespace ImageLayout;

// An image as inspect reads it: its fields and both checksums.
struct InspectedImage {
    Config_Image image;
    quint32 stored = 0;
    quint32 computed = 0;

    bool checksumOk() const { return stored == computed; }
};

QString parityName(qint16 parity)
{
    return parameter(Param::Serial_Parity).items.value(parity, QStringLiteral("unknown"));
}

QString usedBy(bool serial, bool modbus)
{
    QStringList sides;
    if (serial)
        sides << QStringLiteral("Serial");
    if (modbus)
        sides << QStringLiteral("Modbus Slave");
    return sides.isEmpty() ? QStringLiteral("none") : sides.join(QStringLiteral(" + "));
}

QJsonObject portJson(const PortBlock &port, const QString &usedBy)
{
    return QJsonObject{{QStringLiteral("Baud"), port.Baud},
                       {QStringLiteral("Data_Bits"), port.Data_Bits},
                       {QStringLiteral("Parity"), port.Parity},
                       {QStringLiteral("Parity_Name"), parityName(port.Parity)},
                       {QStringLiteral("Stop_Bits"), port.Stop_Bits},
                       {QStringLiteral("Used_By"), usedBy}};
}

QJsonObject portsJson(const Config_Image &image)
{
    const bool serialRS232 = serialOnRS232(image);
    const bool modbusRS232 = modbusOnRS232(image);
    return QJsonObject{
        {QStringLiteral("RS232_Port"), portJson(image.RS232_Port, usedBy(serialRS232, modbusRS232))},
        {QStringLiteral("Modbus_RS485_Port"), portJson(image.Modbus_RS485_Port, usedBy(false, !modbusRS232))},
        {QStringLiteral("Serial_RS485_Port"), portJson(image.Serial_RS485_Port, usedBy(!serialRS232, false))}};
}

QStringList serialFlagNames(qint32 flags)
{
    const std::pair<qint32, const char *> names[] = {{kFlagRS232, "RS232"},
                                                     {kFlagEndCharacter, "End Character"},
                                                     {kFlagNumBytesOnControlWord, "Num Bytes on Control Word"},
                                                     {kFlagFixNumBytes, "Fix Num Bytes"}};
    constexpr qint32 kKnownFlags = kFlagRS232 | kFlagEndCharacter | kFlagNumBytesOnControlWord | kFlagFixNumBytes;
    QStringList out;
    for (const auto &[bit, name] : names) {
        if (flags & bit)
            out << QString::fromLatin1(name);
    }
    if (const qint32 unknown = flags & ~kKnownFlags)
        out << QStringLiteral("unknown bits 0x%1").arg(quint32(unknown), 8, 16, QLatin1Char('0')).toUpper();
    return out;
}

QString serialSide(const Config_Image &image)
{
    return serialOnRS232(image) ? QStringLiteral("RS232") : QStringLiteral("RS485/RS422");
}

QString modbusSide(const Config_Image &image)
{
    return modbusOnRS232(image) ? QStringLiteral("RS232") : QStringLiteral("RS485");
}

QJsonObject imageJson(const InspectedImage &in, qsizetype size)
{
    const Config_Image &image = in.image;
    return QJsonObject{
        {QStringLiteral("Size"), qint64(size)},
        {QStringLiteral("Checksum"), qint64(in.stored)},
        {QStringLiteral("Checksum_Computed"), qint64(in.computed)},
        {QStringLiteral("Checksum_OK"), in.checksumOk()},
        {QStringLiteral("Ports"), portsJson(image)},
        {QStringLiteral("Serial_Side"), serialSide(image)},
        {QStringLiteral("Serial_Flags"), qint64(quint32(image.Serial_Flags))},
        {QStringLiteral("Serial_Flag_Names"), QJsonArray::fromStringList(serialFlagNames(image.Serial_Flags))},
        {QStringLiteral("Serial_End_Char"), image.Serial_End_Char},
        {QStringLiteral("Serial_Num_Byte"), image.Serial_Num_Byte},
        {QStringLiteral("Serial_TimeOut_RX"), image.Serial_TimeOut_RX},
        {QStringLiteral("Serial_Time_Wait_RX"), image.Serial_Time_Wait_RX},
        {QStringLiteral("ModbusSlave_Side"), modbusSide(image)},
        {QStringLiteral("ModbusSlave_Port_Code"), image.ModbusSlave_Port_Code},
        {QStringLiteral("ModbusSlave_ID"), image.ModbusSlave_ID},
        {QStringLiteral("ModbusSlave_Start_Read"), image.ModbusSlave_Start_Read},
        {QStringLiteral("ModbusSlave_Start_Write"), image.ModbusSlave_Start_Write},
        {QStringLiteral("ModbusSlave_Control_Word"), image.ModbusSlave_Control_Word},
        {QStringLiteral("ModbusSlave_Status_Word"), image.ModbusSlave_Status_Word},
        {QStringLiteral("ModbusSlave_NumByteRX"), image.ModbusSlave_NumByteRX},
        {QStringLiteral("IP_Address"), dottedIpv4(image.IP_Address)},
        {QStringLiteral("Subnet_Mask"), dottedIpv4(image.Subnet_Mask)},
        {QStringLiteral("Gateway"), dottedIpv4(image.Gateway)},
    };
}

void printSerial(QTextStream &out, const Config_Image &image)
{
    // The flag word as the bits it holds: a damaged image may set the sign bit.
    out << "Serial: " << serialSide(image) << ", flags 0x" << QString::number(quint32(image.Serial_Flags), 16).toUpper()
        << " (" << serialFlagNames(image.Serial_Flags).join(QStringLiteral(", ")) << ")" << Qt::endl;
    out << "  Serial_End_Char: " << image.Serial_End_Char << ", Serial_Num_Byte: " << image.Serial_Num_Byte
        << ", Serial_TimeOut_RX: " << image.Serial_TimeOut_RX << ", Serial_Time_Wait_RX: " << image.Serial_Time_Wait_RX
        << Qt::endl;
}

void printModbusSlave(QTextStream &out, const Config_Image &image)
{
    out << "Modbus Slave: " << modbusSide(image) << ", port code 0x"
        << QString::number(image.ModbusSlave_Port_Code, 16).toUpper() << Qt::endl;
    out << "  ID: " << image.ModbusSlave_ID << ", Start_Read: " << image.ModbusSlave_Start_Read
        << ", Start_Write: " << image.ModbusSlave_Start_Write << ", Control_Word: " << image.ModbusSlave_Control_Word
        << ", Status_Word: " << image.ModbusSlave_Status_Word << ", NumByteRX: " << image.ModbusSlave_NumByteRX
        << Qt::endl;
}

void printPorts(QTextStream &out, const Config_Image &image)
{
    const QJsonObject ports = portsJson(image);
    for (const QString &name :
         {QStringLiteral("RS232_Port"), QStringLiteral("Serial_RS485_Port"), QStringLiteral("Modbus_RS485_Port")}) {
        const QJsonObject port = ports[name].toObject();
        out << name << ": " << port[QStringLiteral("Baud")].toInt() << " baud, "
            << port[QStringLiteral("Data_Bits")].toInt() << " data bits, parity "
            << port[QStringLiteral("Parity_Name")].toString() << ", stop bits "
            << port[QStringLiteral("Stop_Bits")].toInt() << " (used by " << port[QStringLiteral("Used_By")].toString()
            << ")" << Qt::endl;
    }
}

void printAddresses(QTextStream &out, const Config_Image &image)
{
    out << "IP_Address: " << dottedIpv4(image.IP_Address) << Qt::endl;
    out << "Subnet_Mask: " << dottedIpv4(image.Subnet_Mask) << Qt::endl;
    out << "Gateway: " << dottedIpv4(image.Gateway) << Qt::endl;
}

void printImage(QTextStream &out, const InspectedImage &in)
{
    out << "Checksum: " << in.stored << (in.checksumOk() ? " (correct)" : " (wrong)") << Qt::endl;
    printSerial(out, in.image);
    printModbusSlave(out, in.image);
    printPorts(out, in.image);
    printAddresses(out, in.image);
}
} // namespace

int cmdInspect(ToolContext &tool)
{
    tool.expectArguments(1, "one image file");
    QByteArray bytes;
    QString error;
    if (!readWholeFile(tool.line.arguments.first(), &bytes, &error))
        return tool.fail(kExitUsage, error);
    InspectedImage in;
    if (!Parse_Image(bytes, &in.image, &in.stored, &in.computed))
        return tool.fail(kExitRefused, wrongImageSizeMessage(bytes.size()));
    if (tool.line.has(QStringLiteral("--json")))
        tool.out << QJsonDocument(imageJson(in, bytes.size())).toJson(QJsonDocument::Indented);
    else
        printImage(tool.out, in);
    if (!in.checksumOk())
        return tool.fail(kExitRefused, wrongChecksumMessage(in.stored, in.computed));
    return kExitOk;
}
