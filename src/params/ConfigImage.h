#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

class QDomNode;
struct AppState;

// The device's configuration image: a fixed little-endian record of 2048 bytes closed by the
// 32-bit sum of all bytes before it.

constexpr qint32 kImageSize = 2048;

// One serial port's framing as the device reads it (12 bytes).
struct PortBlock {
    qint32 Baud = 9600;
    qint16 Data_Bits = 8;
    qint16 Parity = 0;
    qint32 Stop_Bits = 0;
};

// The fields of the image that carry a value; everything else in the file is reserved and zero.
// The member initialisers are the values of a configuration without a parameter file.
struct Config_Image {
    qint32 Fixed_000 = 250000;
    PortBlock Modbus_RS485_Port;
    qint32 ModbusSlave_ID = 1;
    quint8 IP_Address[4] = {192, 168, 2, 205};
    quint8 Subnet_Mask[4] = {255, 255, 255, 0};
    quint8 Gateway[4] = {255, 255, 255, 255};
    qint16 Fixed_034 = 10000;
    qint16 Fixed_036 = 10001;
    qint16 Fixed_038 = 10001;
    PortBlock RS232_Port;
    quint8 ModbusSlave_Port_Code = 0;
    PortBlock Serial_RS485_Port;
    qint32 Serial_Flags = 0;
    qint16 Serial_End_Char = 13;
    qint16 Serial_Num_Byte = 1024;
    qint32 Serial_TimeOut_RX = 0;
    qint32 ModbusSlave_Start_Read = 1;
    qint32 ModbusSlave_Start_Write = 1;
    qint32 ModbusSlave_Control_Word = 0;
    qint32 ModbusSlave_Status_Word = 0;
    qint32 ModbusSlave_NumByteRX = -1;
    qint32 Serial_Time_Wait_RX = 0;
};

// Where each field lies in the file.
namespace ImageLayout {
inline constexpr qint32 kFixed000 = 0x000;
inline constexpr qint32 kModbusRS485Port = 0x00C;
inline constexpr qint32 kModbusSlaveId = 0x018;
inline constexpr qint32 kIpAddress = 0x028;
inline constexpr qint32 kSubnetMask = 0x02C;
inline constexpr qint32 kGateway = 0x030;
inline constexpr qint32 kFixed034 = 0x034;
inline constexpr qint32 kFixed036 = 0x036;
inline constexpr qint32 kFixed038 = 0x038;
inline constexpr qint32 kRS232Port = 0x03C;
inline constexpr qint32 kModbusSlavePortCode = 0x061;
inline constexpr qint32 kSerialRS485Port = 0x12C;
inline constexpr qint32 kSerialFlags = 0x158;
inline constexpr qint32 kSerialEndChar = 0x15C;
inline constexpr qint32 kSerialNumByte = 0x15E;
inline constexpr qint32 kSerialTimeOutRx = 0x160;
inline constexpr qint32 kModbusSlaveStartRead = 0x164;
inline constexpr qint32 kModbusSlaveStartWrite = 0x168;
inline constexpr qint32 kModbusSlaveControlWord = 0x16C;
inline constexpr qint32 kModbusSlaveStatusWord = 0x170;
inline constexpr qint32 kModbusSlaveNumByteRx = 0x174;
inline constexpr qint32 kSerialTimeWaitRx = 0x178;
inline constexpr qint32 kChecksum = 0x7FC;

inline constexpr quint8 kPortCodeRS232 = 0x41;
inline constexpr quint8 kPortCodeRS485 = 0x40;

inline constexpr qint32 kFlagRS232 = 1;
inline constexpr qint32 kFlagEndCharacter = 2;
inline constexpr qint32 kFlagNumBytesOnControlWord = 4;
inline constexpr qint32 kFlagFixNumBytes = 8;
} // namespace ImageLayout

// The members of a port block with their offsets in the block: field(offset, member, name).
template <typename Port, typename Visitor>
void forEachPortField(Port &port, Visitor &&field)
{
    field(0, port.Baud, "Baud");
    field(4, port.Data_Bits, "Data_Bits");
    field(6, port.Parity, "Parity");
    field(8, port.Stop_Bits, "Stop_Bits");
}

// Every field with its offset and name, in file order: the one list that writing, reading
// and importing share. field(offset, member, name); the bytes between fields are reserved.
template <typename Image, typename Visitor>
void forEachField(Image &image, Visitor &&field)
{
    using namespace ImageLayout;
    field(kFixed000, image.Fixed_000, "fixed value");
    field(kModbusRS485Port, image.Modbus_RS485_Port, "Modbus_RS485_Port");
    field(kModbusSlaveId, image.ModbusSlave_ID, "ModbusSlave_ID");
    field(kIpAddress, image.IP_Address, "IP_Address");
    field(kSubnetMask, image.Subnet_Mask, "Subnet_Mask");
    field(kGateway, image.Gateway, "Gateway");
    field(kFixed034, image.Fixed_034, "fixed value");
    field(kFixed036, image.Fixed_036, "fixed value");
    field(kFixed038, image.Fixed_038, "fixed value");
    field(kRS232Port, image.RS232_Port, "RS232_Port");
    field(kModbusSlavePortCode, image.ModbusSlave_Port_Code, "ModbusSlave_Port_Code");
    field(kSerialRS485Port, image.Serial_RS485_Port, "Serial_RS485_Port");
    field(kSerialFlags, image.Serial_Flags, "Serial_Flags");
    field(kSerialEndChar, image.Serial_End_Char, "Serial_End_Char");
    field(kSerialNumByte, image.Serial_Num_Byte, "Serial_Num_Byte");
    field(kSerialTimeOutRx, image.Serial_TimeOut_RX, "Serial_TimeOut_RX");
    field(kModbusSlaveStartRead, image.ModbusSlave_Start_Read, "ModbusSlave_Start_Read");
    field(kModbusSlaveStartWrite, image.ModbusSlave_Start_Write, "ModbusSlave_Start_Write");
    field(kModbusSlaveControlWord, image.ModbusSlave_Control_Word, "ModbusSlave_Control_Word");
    field(kModbusSlaveStatusWord, image.ModbusSlave_Status_Word, "ModbusSlave_Status_Word");
    field(kModbusSlaveNumByteRx, image.ModbusSlave_NumByteRX, "ModbusSlave_NumByteRX");
    field(kSerialTimeWaitRx, image.Serial_Time_Wait_RX, "Serial_Time_Wait_RX");
}

// Which side composing put on the shared RS232 block: the serial side sets a flag bit, the
// Modbus slave its port code.
inline bool serialOnRS232(const Config_Image &image)
{
    return image.Serial_Flags & ImageLayout::kFlagRS232;
}

inline bool modbusOnRS232(const Config_Image &image)
{
    return image.ModbusSlave_Port_Code == ImageLayout::kPortCodeRS232;
}

// Every field back to its value without a parameter file.
void Clear_Image(Config_Image &image);

// Overwrites the fields that the parameter file's keys feed; `root` is the file's first node.
// Missing keys and texts that are not integers take their own fall-backs, silently.
void Read_Image_Parameters(Config_Image &image, const QDomNode &root);

// Writes the 2048 bytes from `start` on (the buffer must have room) and returns start + 2048.
qint32 Serialise_Image(const Config_Image &image, qint32 start, QByteArray &buffer);

// Reads the fields of a 2048-byte image back, with the checksum it carries and the sum of its
// bytes; false for any other size.
bool Parse_Image(const QByteArray &bytes, Config_Image *image, quint32 *storedSum, quint32 *computedSum);

// Why a file is not an image, in the words every reader of images uses.
QString wrongImageSizeMessage(qsizetype size);
QString wrongChecksumMessage(quint32 storedSum, quint32 computedSum);

// The image of a configuration whose parameter file holds `parGen`, or of one without a
// parameter file (nullopt). Fails with the parser's message, naming `parGenPath`, when the
// file is not XML.
bool composeImage(const std::optional<QByteArray> &parGen, const QString &parGenPath, QByteArray *image,
                  QString *error);

// Composes from ParGen_File into Image_Buffer / Image_Length. On failure both keep the last
// image and the error says why.
bool Compose_Image(AppState &state, QString *error);

// Writes the composed image to Project_Dir/bin/bank.bin; an earlier file stays whole on failure.
bool Save_Image(const AppState &state, QString *error);

// Writes an image into a configuration's bin folder, which must be a folder of its own: a link
// there is refused, the image never lands where it points.
bool saveImageFile(const QString &projectDir, const QByteArray &image, QString *error);
QString imageFilePath(const AppState &state);
