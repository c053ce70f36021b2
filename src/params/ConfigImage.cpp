#include "params/ConfigImage.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/FileSystem.h"
#include "core/IntegerConversion.h"
#include "core/Paths.h"
#include "core/XmlLookup.h"
#include "params/Parameters.h"
#include "params/SendType.h"

#include <QDir>
#include <QDomDocument>
#include <QFileInfo>

#include <algorithm>

namespace {

using namespace ImageLayout;

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
        forEachPortField(port, [&](qint32 at, auto value, const char *) { (*this)(offset + at, value); });
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
        forEachPortField(port, [&](qint32 at, auto &value, const char *) { (*this)(offset + at, value); });
    }

private:
    const char *m_data;
};

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

// Choice texts that are compared as they stand, not as numbers.
constexpr QLatin1String kRS232Item("0");
constexpr QLatin1String kFlagSet("1");

// The serial side's port block, chosen by its interface; the RS232 bit goes with it.
PortBlock &readSerialSide(Config_Image &image, const KeyReader &keys)
{
    const bool onRS232 = keys.isExactly(Param::Serial_Serial, kRS232Item);
    image.Serial_Flags = onRS232 ? kFlagRS232 : 0;
    return onRS232 ? image.RS232_Port : image.Serial_RS485_Port;
}

void readSerialFraming(PortBlock &serial, const KeyReader &keys)
{
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
}

void readSendType(Config_Image &image, const KeyReader &keys)
{
    // A send type that is missing or no integer is End Character; any index the list does not
    // have, no selection included, is Fix Num Bytes.
    const qint32 sendTypeIndex = keys.integer(Param::Serial_Send_Type, static_cast<qint32>(SendType::EndCharacter));
    switch (sendTypeOf(sendTypeIndex).value_or(SendType::FixNumBytes)) {
    case SendType::EndCharacter:
        image.Serial_Flags |= kFlagEndCharacter;
        break;
    case SendType::NumBytesOnControlWord:
        image.Serial_Flags |= kFlagNumBytesOnControlWord;
        break;
    case SendType::FixNumBytes:
        image.Serial_Flags |= kFlagFixNumBytes;
        break;
    }
}

void readSerialTiming(Config_Image &image, const KeyReader &keys)
{
    image.Serial_End_Char = static_cast<qint16>(keys.integer(Param::Serial_End_Char, 13));
    image.Serial_Num_Byte = static_cast<qint16>(keys.integer(Param::Serial_Num_Byte, 1024));
    image.Serial_TimeOut_RX = keys.integer(Param::Serial_TimeOut_RX, 0);
    image.Serial_Time_Wait_RX =
        keys.isExactly(Param::Serial_Time_Wait_RX_En, kFlagSet) ? keys.integer(Param::Serial_Time_Wait_RX_Time, 0) : 0;
}

// The Modbus slave's port block, chosen by its interface, which the port code tells the device.
PortBlock &readModbusSide(Config_Image &image, const KeyReader &keys)
{
    const bool onRS232 = keys.isExactly(Param::ModbusSlave_Serial, kRS232Item);
    image.ModbusSlave_Port_Code = onRS232 ? kPortCodeRS232 : kPortCodeRS485;
    return onRS232 ? image.RS232_Port : image.Modbus_RS485_Port;
}

// The Modbus slave's block takes baud and parity only; its data and stop bits stay as they are.
void readModbusFraming(PortBlock &modbus, const KeyReader &keys)
{
    modbus.Baud = baudOfIndex(keys.integer(Param::ModbusSlave_Baud, kBaudIndexFallback));
    if (keys.text(Param::ModbusSlave_Parity))
        modbus.Parity = static_cast<qint16>(keys.integer(Param::ModbusSlave_Parity, 0));
}

void readModbusRegisters(Config_Image &image, const KeyReader &keys)
{
    image.ModbusSlave_ID = keys.integer(Param::ModbusSlave_ID_Device, 1);
    image.ModbusSlave_Start_Read = keys.integer(Param::ModbusSlave_Start_Read, 1);
    image.ModbusSlave_Start_Write = keys.integer(Param::ModbusSlave_Start_Write, 1);
    image.ModbusSlave_Control_Word = keys.integer(Param::ModbusSlave_Control_Word, 0);
    image.ModbusSlave_Status_Word = keys.integer(Param::ModbusSlave_Status_Word, 0);
    image.ModbusSlave_NumByteRX = keys.isExactly(Param::ModbusSlave_Enable_NumByteRX, kFlagSet)
                                      ? keys.integer(Param::ModbusSlave_NumByteRX, -1)
                                      : -1;
}

void readNetwork(Config_Image &image, const KeyReader &keys)
{
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
    if (!keys.isExactly(Param::ModbusTCPSlave_En_GAT, kFlagSet))
        std::fill(std::begin(image.Gateway), std::end(image.Gateway), quint8(255));
}

} // namespace

void Clear_Image(Config_Image &image)
{
    image = Config_Image{};
}

// Each side chooses its port block first; the keys that follow go into that block.
void Read_Image_Parameters(Config_Image &image, const QDomNode &root)
{
    const KeyReader keys(root);
    PortBlock &serial = readSerialSide(image, keys);
    readSerialFraming(serial, keys);
    readSendType(image, keys);
    readSerialTiming(image, keys);
    PortBlock &modbus = readModbusSide(image, keys);
    readModbusFraming(modbus, keys);
    readModbusRegisters(image, keys);
    readNetwork(image, keys);
}

qint32 Serialise_Image(const Config_Image &image, qint32 start, QByteArray &buffer)
{
    Q_ASSERT(start >= 0 && buffer.size() >= start + kImageSize);
    std::fill(buffer.begin() + start, buffer.begin() + start + kImageSize, '\0');

    ImageWriter out(buffer, start);
    forEachField(image, [&](qint32 offset, const auto &value, const char *) { out(offset, value); });
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
    forEachField(*image, [&](qint32 offset, auto &value, const char *) { in(offset, value); });
    in(kChecksum, *storedSum);
    *computedSum = byteSum(bytes, 0);
    return true;
}

QString wrongImageSizeMessage(qsizetype size)
{
    return QStringLiteral("wrong size: expected %1 bytes, found %2").arg(QString::number(kImageSize), QString::number(size));
}

QString wrongChecksumMessage(quint32 storedSum, quint32 computedSum)
{
    return QStringLiteral("wrong checksum: expected %1, found %2").arg(QString::number(computedSum), QString::number(storedSum));
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

QString imageFilePath(const AppState &state)
{
    return imageFilePathIn(state.Project_Dir);
}

bool Save_Image(const AppState &state, QString *error)
{
    return saveImageFile(state.Project_Dir, state.Image_Buffer.left(state.Image_Length), error);
}

bool saveImageFile(const QString &projectDir, const QByteArray &image, QString *error)
{
    const QString bin = joinPath(projectDir, kBinFolder);
    if (const EntryKind kind = entryKind(bin); kind == EntryKind::Link) {
        if (error)
            *error = QDir::toNativeSeparators(bin) + QStringLiteral(": ") + refusalOf(kind, QStringLiteral("not written"));
        return false;
    }
    return writeFileAtomic(imageFilePathIn(projectDir), image, error);
}
