#include "params/ConfigImage.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/IntegerConversion.h"
#include "core/XmlLookup.h"
#include "params/Parameters.h"

#include <QDomDocument>
#include <QFileInfo>

#include <algorithm>

namespace {

// Byte offsets of the fields in the file.
constexpr qint32 kFixed000 = 0x000;
constexpr qint32 kModbusRS485Port = 0x00C;
constexpr qint32 kModbusSlaveId = 0x018;
constexpr qint32 kIpAddress = 0x028;
constexpr qint32 kSubnetMask = 0x02C;
constexpr qint32 kGateway = 0x030;
constexpr qint32 kFixed034 = 0x034;
constexpr qint32 kFixed036 = 0x036;
constexpr qint32 kFixed038 = 0x038;
constexpr qint32 kRS232Port = 0x03C;
constexpr qint32 kModbusSlavePortCode = 0x061;
constexpr qint32 kSerialRS485Port = 0x12C;
constexpr qint32 kSerialFlags = 0x158;
constexpr qint32 kSerialEndChar = 0x15C;
constexpr qint32 kSerialNumByte = 0x15E;
constexpr qint32 kSerialTimeOutRx = 0x160;
constexpr qint32 kModbusSlaveStartRead = 0x164;
constexpr qint32 kModbusSlaveStartWrite = 0x168;
constexpr qint32 kModbusSlaveControlWord = 0x16C;
constexpr qint32 kModbusSlaveStatusWord = 0x170;
constexpr qint32 kModbusSlaveNumByteRx = 0x174;
constexpr qint32 kSerialTimeWaitRx = 0x178;
constexpr qint32 kChecksum = 0x7FC;

constexpr quint8 kPortCodeRS232 = 0x41;
constexpr quint8 kPortCodeRS485 = 0x40;

constexpr qint32 kFlagRS232 = 1;
constexpr qint32 kFlagEndCharacter = 2;
constexpr qint32 kFlagNumBytesOnControlWord = 4;
constexpr qint32 kFlagFixNumBytes = 8;

class ImageWriter {
public:
    ImageWriter(QByteArray &buffer, qint32 start) : m_data(buffer.data() + start) {}

    template <typename T>
    void operator()(qint32 offset, T value)
    {
        // Two's complement, least significant byte first, whatever the host's byte order.
        auto bits = static_cast<std::make_unsigned_t<T>>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            m_data[offset + i] = static_cast<char>(bits & 0xFF);
            bits = static_cast<std::make_unsigned_t<T>>(bits >> 8);
        }
    }

    void operator()(qint32 offset, const quint8 (&bytes)[4])
    {
        for (int i = 0; i < 4; ++i)
            (*this)(offset + i, bytes[i]);
    }

    void operator()(qint32 offset, const PortBlock &port)
    {
        (*this)(offset, port.Baud);
        (*this)(offset + 4, port.Data_Bits);
        (*this)(offset + 6, port.Parity);
        (*this)(offset + 8, port.Stop_Bits);
    }

private:
    char *m_data;
};

class ImageReader {
public:
    explicit ImageReader(const QByteArray &buffer) : m_data(buffer.constData()) {}

    template <typename T>
    void operator()(qint32 offset, T &value)
    {
        std::make_unsigned_t<T> bits = 0;
        for (std::size_t i = sizeof(T); i-- > 0;)
            bits = static_cast<std::make_unsigned_t<T>>((bits << 8) | static_cast<quint8>(m_data[offset + i]));
        value = static_cast<T>(bits);
    }

    void operator()(qint32 offset, quint8 (&bytes)[4])
    {
        for (int i = 0; i < 4; ++i)
            (*this)(offset + i, bytes[i]);
    }

    void operator()(qint32 offset, PortBlock &port)
    {
        (*this)(offset, port.Baud);
        (*this)(offset + 4, port.Data_Bits);
        (*this)(offset + 6, port.Parity);
        (*this)(offset + 8, port.Stop_Bits);
    }

private:
    const char *m_data;
};

// Every field with its offset, in file order: the one list that writing and reading share.
template <typename Image, typename Visitor>
void forEachField(Image &image, Visitor &&field)
{
    field(kFixed000, image.Fixed_000);
    field(kModbusRS485Port, image.Modbus_RS485_Port);
    field(kModbusSlaveId, image.ModbusSlave_ID);
    field(kIpAddress, image.IP_Address);
    field(kSubnetMask, image.Subnet_Mask);
    field(kGateway, image.Gateway);
    field(kFixed034, image.Fixed_034);
    field(kFixed036, image.Fixed_036);
    field(kFixed038, image.Fixed_038);
    field(kRS232Port, image.RS232_Port);
    field(kModbusSlavePortCode, image.ModbusSlave_Port_Code);
    field(kSerialRS485Port, image.Serial_RS485_Port);
    field(kSerialFlags, image.Serial_Flags);
    field(kSerialEndChar, image.Serial_End_Char);
    field(kSerialNumByte, image.Serial_Num_Byte);
    field(kSerialTimeOutRx, image.Serial_TimeOut_RX);
    field(kModbusSlaveStartRead, image.ModbusSlave_Start_Read);
    field(kModbusSlaveStartWrite, image.ModbusSlave_Start_Write);
    field(kModbusSlaveControlWord, image.ModbusSlave_Control_Word);
    field(kModbusSlaveStatusWord, image.ModbusSlave_Status_Word);
    field(kModbusSlaveNumByteRx, image.ModbusSlave_NumByteRX);
    field(kSerialTimeWaitRx, image.Serial_Time_Wait_RX);
}

quint32 byteSum(const QByteArray &buffer, qint32 start)
{
    quint32 sum = 0;
    for (qint32 i = 0; i < kChecksum; ++i)
        sum += static_cast<quint8>(buffer.at(start + i));
    return sum;
}

// The keys are read one by one from the root's direct children.
class KeyReader {
public:
    explicit KeyReader(const QDomNode &root) : m_root(root) {}

    std::optional<QString> text(Param::Id id) const { return leafText(m_root, parameter(id).key); }

    bool isExactly(Param::Id id, QLatin1String value) const
    {
        const std::optional<QString> t = text(id);
        return t && *t == value;
    }

    // A missing key and a text that does not convert both take the fall-back.
    qint32 integer(Param::Id id, qint32 fallback) const
    {
        const std::optional<QString> t = text(id);
        return t ? toIntegerDef(*t, fallback) : fallback;
    }

private:
    QDomNode m_root;
};

constexpr qint32 kBaudIndexFallback = 7;

// The baud lists' item order; any other index means 9600.
qint32 baudOfIndex(qint32 index)
{
    const QStringList &items = baudRateItems();
    if (index < 0 || index >= items.size())
        return 9600;
    return toIntegerDef(items.at(index), 9600);
}

void readAddress(const KeyReader &keys, const Param::Id (&ids)[4], const quint8 (&fallback)[4],
                 quint8 (&target)[4])
{
    for (int i = 0; i < 4; ++i)
        target[i] = static_cast<quint8>(keys.integer(ids[i], fallback[i]));
}

} // namespace

void Clear_Image(Config_Image &image)
{
    image = Config_Image{};
}

void Read_Image_Parameters(Config_Image &image, const QDomNode &root)
{
    const KeyReader keys(root);
    const auto rs232 = QLatin1String("0");
    const auto set = QLatin1String("1");

    // Serial side: the port block first, then its framing.
    const bool serialOnRS232 = keys.isExactly(Param::Serial_Serial, rs232);
    PortBlock &serial = serialOnRS232 ? image.RS232_Port : image.Serial_RS485_Port;
    image.Serial_Flags = serialOnRS232 ? kFlagRS232 : 0;

    serial.Baud = baudOfIndex(keys.integer(Param::Serial_Baud, kBaudIndexFallback));

    qint32 parity = 0;
    if (keys.text(Param::Serial_Parity)) {
        parity = keys.integer(Param::Serial_Parity, 0);
        serial.Parity = static_cast<qint16>(parity);
    }

    // The device wants two stop bits for 7 data bits without parity.
    if (keys.isExactly(Param::Serial_DataBits, QLatin1String("0"))) {
        serial.Data_Bits = 7;
        if (parity == 0)
            serial.Stop_Bits = 2;
    } else {
        serial.Data_Bits = 8;
    }

    switch (keys.integer(Param::Serial_Send_Type, 0)) {
    case 0:
        image.Serial_Flags |= kFlagEndCharacter;
        break;
    case 1:
        image.Serial_Flags |= kFlagNumBytesOnControlWord;
        break;
    default:
        image.Serial_Flags |= kFlagFixNumBytes;
        break;
    }

    image.Serial_End_Char = static_cast<qint16>(keys.integer(Param::Serial_End_Char, 13));
    image.Serial_Num_Byte = static_cast<qint16>(keys.integer(Param::Serial_Num_Byte, 1024));
    image.Serial_TimeOut_RX = keys.integer(Param::Serial_TimeOut_RX, 0);
    image.Serial_Time_Wait_RX =
        keys.isExactly(Param::Serial_Time_Wait_RX_En, set) ? keys.integer(Param::Serial_Time_Wait_RX_Time, 0) : 0;

    // Modbus slave: the port block first; it takes baud and parity only.
    const bool modbusOnRS232 = keys.isExactly(Param::ModbusSlave_Serial, rs232);
    PortBlock &modbus = modbusOnRS232 ? image.RS232_Port : image.Modbus_RS485_Port;
    image.ModbusSlave_Port_Code = modbusOnRS232 ? kPortCodeRS232 : kPortCodeRS485;

    modbus.Baud = baudOfIndex(keys.integer(Param::ModbusSlave_Baud, kBaudIndexFallback));
    if (keys.text(Param::ModbusSlave_Parity))
        modbus.Parity = static_cast<qint16>(keys.integer(Param::ModbusSlave_Parity, 0));

    image.ModbusSlave_ID = keys.integer(Param::ModbusSlave_ID_Device, 1);
    image.ModbusSlave_Start_Read = keys.integer(Param::ModbusSlave_Start_Read, 1);
    image.ModbusSlave_Start_Write = keys.integer(Param::ModbusSlave_Start_Write, 1);
    image.ModbusSlave_Control_Word = keys.integer(Param::ModbusSlave_Control_Word, 0);
    image.ModbusSlave_Status_Word = keys.integer(Param::ModbusSlave_Status_Word, 0);
    image.ModbusSlave_NumByteRX = keys.isExactly(Param::ModbusSlave_Enable_NumByteRX, set)
                                      ? keys.integer(Param::ModbusSlave_NumByteRX, -1)
                                      : -1;

    readAddress(keys,
                {Param::ModbusTCPSlave_IP1, Param::ModbusTCPSlave_IP2, Param::ModbusTCPSlave_IP3,
                 Param::ModbusTCPSlave_IP4},
                {192, 168, 0, 10}, image.IP_Address);
    readAddress(keys,
                {Param::ModbusTCPSlave_SM1, Param::ModbusTCPSlave_SM2, Param::ModbusTCPSlave_SM3,
                 Param::ModbusTCPSlave_SM4},
                {255, 255, 255, 0}, image.Subnet_Mask);
    readAddress(keys,
                {Param::ModbusTCPSlave_GAT1, Param::ModbusTCPSlave_GAT2, Param::ModbusTCPSlave_GAT3,
                 Param::ModbusTCPSlave_GAT4},
                {192, 168, 0, 1}, image.Gateway);
    // Without an enabled gateway the device expects all ones.
    if (!keys.isExactly(Param::ModbusTCPSlave_En_GAT, set))
        std::fill(std::begin(image.Gateway), std::end(image.Gateway), quint8(255));
}

qint32 Serialise_Image(const Config_Image &image, qint32 start, QByteArray &buffer)
{
    Q_ASSERT(start >= 0 && buffer.size() >= start + kImageSize);
    std::fill(buffer.begin() + start, buffer.begin() + start + kImageSize, '\0');

    ImageWriter out(buffer, start);
    forEachField(image, out);
    // Reserved bytes are zero, so summing the whole area equals summing field by field.
    const quint32 Image_Sum = byteSum(buffer, start);
    out(kChecksum, Image_Sum);
    return start + kImageSize;
}

bool Parse_Image(const QByteArray &bytes, Config_Image *image, quint32 *storedSum, quint32 *computedSum)
{
    if (bytes.size() != kImageSize)
        return false;
    ImageReader in(bytes);
    forEachField(*image, in);
    in(kChecksum, *storedSum);
    *computedSum = byteSum(bytes, 0);
    return true;
}

bool composeImage(const std::optional<QByteArray> &parGen, const QString &parGenPath, QByteArray *image,
                  QString *error)
{
    Config_Image record;
    Clear_Image(record);
    if (parGen) {
        QDomDocument doc = newXmlDocument();
        if (!parseXml(*parGen, parGenPath, &doc, error))
            return false;
        Read_Image_Parameters(record, firstNode(doc));
    }
    image->resize(kImageSize);
    Serialise_Image(record, 0, *image);
    return true;
}

bool Compose_Image(AppState &state, QString *error)
{
    std::optional<QByteArray> parGen;
    if (QFileInfo::exists(state.ParGen_File)) {
        QByteArray data;
        if (!readWholeFile(state.ParGen_File, &data, error))
            return false;
        parGen = data;
    }
    QByteArray image;
    if (!composeImage(parGen, state.ParGen_File, &image, error))
        return false;
    // Only kImageSize bytes are ever composed, so the buffer holds exactly those.
    state.Image_Buffer = image;
    state.Image_Length = static_cast<qint32>(image.size());
    return true;
}

QString imageFilePathIn(const QString &projectDir)
{
    return joinPath(joinPath(projectDir, kBinFolder), kImageFile);
}

QString imageFilePath(const AppState &state)
{
    return imageFilePathIn(state.Project_Dir);
}

bool Save_Image(const AppState &state, QString *error)
{
    return writeFileAtomic(imageFilePath(state), state.Image_Buffer.left(state.Image_Length), error);
}
