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

// Where a configuration keeps its image: <folder>/bin/bank.bin.
QString imageFilePathIn(const QString &projectDir);
QString imageFilePath(const AppState &state);
