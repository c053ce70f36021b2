#include "params/ImageImport.h"

#include "core/Constants.h"
#include "core/Ipv4.h"
#include "params/ConfigImage.h"
#include "params/Parameters.h"
#include "params/SendType.h"

#include <QList>

#include <algorithm>
#include <optional>
#include <type_traits>

namespace {

using namespace ImageLayout;

QString offsetText(qint32 offset)
{
    return QStringLiteral("0x") + QStringLiteral("%1").arg(offset, 3, 16, QLatin1Char('0')).toUpper();
}

QString hexText(qint64 value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

QString fieldAt(const QString &name, qint32 offset)
{
    return QStringLiteral("%1 at offset %2").arg(name, offsetText(offset));
}

// The values a field can hold whatever else the image holds; the first field outside them,
// reserved bytes included, in file order.
class ValueRanges {
public:
    explicit ValueRanges(const QByteArray &bytes) : m_bytes(bytes) {}

    template <typename T>
    void operator()(qint32 offset, const T &value, const char *name)
    {
        if (fault)
            return;
        reservedUpTo(offset);
        if (!fault)
            check(offset, value, QString::fromLatin1(name));
        m_next = offset + qint32(sizeof(T));
    }

    void finish()
    {
        if (!fault)
            reservedUpTo(kChecksum);
    }

    std::optional<QString> fault;

private:
    void reservedUpTo(qint32 end)
    {
        for (qint32 i = m_next; i < end && !fault; ++i) {
            const auto byte = static_cast<quint8>(m_bytes.at(i));
            if (byte != 0)
                fault = QStringLiteral("reserved byte at offset %1 is %2, not 0").arg(offsetText(i), hexText(byte));
        }
    }

    void check(qint32 offset, const PortBlock &port, const QString &name)
    {
        const QString baud = QString::number(port.Baud);
        if (!baudRateItems().contains(baud))
            fault = fieldAt(name + QStringLiteral(".Baud"), offset) + QStringLiteral(" is %1, not a baud rate of the list").arg(baud);
        else if (port.Data_Bits != 7 && port.Data_Bits != 8)
            fault = fieldAt(name + QStringLiteral(".Data_Bits"), offset + 4)
                    + QStringLiteral(" is %1, not 7 or 8").arg(port.Data_Bits);
        else if (port.Stop_Bits != 0 && port.Stop_Bits != 2)
            fault = fieldAt(name + QStringLiteral(".Stop_Bits"), offset + 8)
                    + QStringLiteral(" is %1, not 0 or 2").arg(port.Stop_Bits);
    }

    void check(qint32, const quint8 (&)[4], const QString &) {}

    template <typename T>
    void check(qint32 offset, T value, const QString &name)
    {
        static const Config_Image initial;
        switch (offset) {
        case kFixed000:
            return expectFixed(offset, value, initial.Fixed_000, name);
        case kFixed034:
            return expectFixed(offset, value, initial.Fixed_034, name);
        case kFixed036:
            return expectFixed(offset, value, initial.Fixed_036, name);
        case kFixed038:
            return expectFixed(offset, value, initial.Fixed_038, name);
        case kModbusSlavePortCode:
            if (value != 0 && value != kPortCodeRS232 && value != kPortCodeRS485)
                fault = fieldAt(name, offset)
                        + QStringLiteral(" is %1, not 0x40 or 0x41 (0 only in the image composed without a parameter "
                                         "file)")
                              .arg(hexText(quint8(value)));
            return;
        case kSerialFlags: {
            // One send-type bit, and the RS232 bit or not; 0 only without a parameter file.
            const qint32 sendType = qint32(value) & ~kFlagRS232;
            if (value != 0 && sendType != kFlagEndCharacter && sendType != kFlagNumBytesOnControlWord
                && sendType != kFlagFixNumBytes)
                fault = fieldAt(name, offset)
                        + QStringLiteral(" is %1, a combination composing never sets (one of 0x2, 0x4 and 0x8, "
                                         "with 0x1 for RS232)")
                              .arg(hexText(quint32(value)));
            return;
        }
        default:
            return;
        }
    }

    void expectFixed(qint32 offset, qint64 value, qint64 expected, const QString &name)
    {
        if (value != expected)
            fault = fieldAt(name, offset) + QStringLiteral(" is %1, not %2").arg(QString::number(value), QString::number(expected));
    }

    const QByteArray &m_bytes;
    qint32 m_next = 0;
};

// Every field's value as text, port blocks member by member, for naming a difference.
struct FieldText {
    qint32 offset;
    QString name;
    QString text;
};

QList<FieldText> fieldTexts(const Config_Image &image)
{
    QList<FieldText> out;
    const auto add = [&out](qint32 offset, const QString &name, const auto &value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, PortBlock>) {
            forEachPortField(value, [&](qint32 at, auto member, const char *memberName) {
                out.append({offset + at, name + u'.' + QString::fromLatin1(memberName), QString::number(member)});
            });
        } else if constexpr (std::is_array_v<std::remove_reference_t<decltype(value)>>) {
            out.append({offset, name, dottedIpv4(value)});
        } else if (offset == kModbusSlavePortCode || offset == kSerialFlags) {
            out.append({offset, name, hexText(quint32(value))});
        } else {
            out.append({offset, name, QString::number(value)});
        }
    };
    forEachField(image, [&](qint32 offset, const auto &value, const char *name) {
        add(offset, QString::fromLatin1(name), value);
    });
    return out;
}

QString number(qint64 value)
{
    return QString::number(value);
}

QString baudIndexText(qint32 baud)
{
    return number(baudRateItems().indexOf(QString::number(baud)));
}

using Told = std::bitset<Param::Count>;

bool sevenBitsOneStop(const PortBlock &port)
{
    return port.Data_Bits == 7 && port.Stop_Bits == 0;
}

// One block for both sides: the Modbus slave's baud rate and parity overwrite the serial
// side's. Only two stop bits tell that the serial parity was NONE.
void sharedBlockBaudAndParity(const PortBlock &serial, ParameterValues &v, Told &told)
{
    told.reset(Param::Serial_Baud);
    if (!(serial.Data_Bits == 7 && serial.Stop_Bits == 2))
        told.reset(Param::Serial_Parity);
    if (sevenBitsOneStop(serial))
        v[Param::Serial_Parity] = QStringLiteral("1"); // any parity but NONE; ODD is the first
}

void ownBlockBaudAndParity(const PortBlock &serial, ParameterValues &v)
{
    v[Param::Serial_Baud] = baudIndexText(serial.Baud);
    // The stop bits follow the parity's whole text, the block keeps its low 16 bits: one
    // stop bit with 7 bits and parity 0 needs a text that is 0 only modulo 65536.
    v[Param::Serial_Parity] = sevenBitsOneStop(serial) && serial.Parity == 0 ? QStringLiteral("65536") : number(serial.Parity);
}

void serialPortValues(const Config_Image &image, ParameterValues &v, Told &told)
{
    const PortBlock &serial = serialOnRS232(image) ? image.RS232_Port : image.Serial_RS485_Port;
    v[Param::Serial_Serial] = serialOnRS232(image) ? QStringLiteral("0") : QStringLiteral("1");
    v[Param::Serial_DataBits] = serial.Data_Bits == 7 ? QStringLiteral("0") : QStringLiteral("1");
    if (serialOnRS232(image) && modbusOnRS232(image))
        sharedBlockBaudAndParity(serial, v, told);
    else
        ownBlockBaudAndParity(serial, v);
}

void sendTypeFromFlags(const Config_Image &image, ParameterValues &v)
{
    switch (image.Serial_Flags & ~kFlagRS232) {
    case kFlagEndCharacter:
        v[Param::Serial_Send_Type] = sendTypeValue(SendType::EndCharacter);
        break;
    case kFlagNumBytesOnControlWord:
        v[Param::Serial_Send_Type] = sendTypeValue(SendType::NumBytesOnControlWord);
        break;
    default:
        v[Param::Serial_Send_Type] = sendTypeValue(SendType::FixNumBytes);
        break;
    }
}

void serialTimingValues(const Config_Image &image, ParameterValues &v, Told &told)
{
    v[Param::Serial_End_Char] = number(image.Serial_End_Char);
    v[Param::Serial_Num_Byte] = number(image.Serial_Num_Byte);
    v[Param::Serial_TimeOut_RX] = number(image.Serial_TimeOut_RX);
    if (image.Serial_Time_Wait_RX != 0) {
        v[Param::Serial_Time_Wait_RX_En] = QStringLiteral("1");
        v[Param::Serial_Time_Wait_RX_Time] = number(image.Serial_Time_Wait_RX);
    } else {
        told.reset(Param::Serial_Time_Wait_RX_Time); // switched off: the default time stays
    }
}

void modbusPortValues(const Config_Image &image, ParameterValues &v)
{
    const PortBlock &modbus = modbusOnRS232(image) ? image.RS232_Port : image.Modbus_RS485_Port;
    v[Param::ModbusSlave_Serial] = modbusOnRS232(image) ? QStringLiteral("0") : QStringLiteral("1");
    v[Param::ModbusSlave_Baud] = baudIndexText(modbus.Baud);
    v[Param::ModbusSlave_Parity] = number(modbus.Parity);
}

void modbusRegisterValues(const Config_Image &image, ParameterValues &v, Told &told)
{
    v[Param::ModbusSlave_ID_Device] = number(image.ModbusSlave_ID);
    v[Param::ModbusSlave_Start_Read] = number(image.ModbusSlave_Start_Read);
    v[Param::ModbusSlave_Start_Write] = number(image.ModbusSlave_Start_Write);
    v[Param::ModbusSlave_Control_Word] = number(image.ModbusSlave_Control_Word);
    v[Param::ModbusSlave_Status_Word] = number(image.ModbusSlave_Status_Word);
    if (image.ModbusSlave_NumByteRX != -1) {
        v[Param::ModbusSlave_Enable_NumByteRX] = QStringLiteral("1");
        v[Param::ModbusSlave_NumByteRX] = number(image.ModbusSlave_NumByteRX);
    } else {
        v[Param::ModbusSlave_Enable_NumByteRX] = QStringLiteral("0");
        told.reset(Param::ModbusSlave_NumByteRX);
    }
}

void networkValues(const Config_Image &image, ParameterValues &v, Told &told)
{
    for (int i = 0; i < 4; ++i) {
        v[Param::ModbusTCPSlave_IP1 + i] = number(image.IP_Address[i]);
        v[Param::ModbusTCPSlave_SM1 + i] = number(image.Subnet_Mask[i]);
    }
    const bool noGateway = std::all_of(std::begin(image.Gateway), std::end(image.Gateway),
                                       [](quint8 b) { return b == 255; });
    if (noGateway) {
        for (int i = 0; i < 4; ++i)
            told.reset(Param::ModbusTCPSlave_GAT1 + i);
    } else {
        v[Param::ModbusTCPSlave_En_GAT] = QStringLiteral("1");
        for (int i = 0; i < 4; ++i)
            v[Param::ModbusTCPSlave_GAT1 + i] = number(image.Gateway[i]);
    }
}

// The parameter set the editor would show for this image, choosing defaults for what the
// image does not hold. Only called once ValueRanges has passed and the image has a
// parameter file (port code and flags not 0).
ParameterValues valuesOf(const Config_Image &image, Told *told)
{
    ParameterValues v = defaultParameterValues();
    told->set();
    serialPortValues(image, v, *told);
    sendTypeFromFlags(image, v);
    serialTimingValues(image, v, *told);
    modbusPortValues(image, v);
    modbusRegisterValues(image, v, *told);
    networkValues(image, v, *told);
    return v;
}

// The first field in which `image` differs from `wanted`, or nothing.
std::optional<FieldText> firstDifference(const Config_Image &image, const Config_Image &wanted, QString *wantedText)
{
    const QList<FieldText> actual = fieldTexts(image);
    const QList<FieldText> expected = fieldTexts(wanted);
    for (qsizetype i = 0; i < actual.size(); ++i) {
        if (actual.at(i).text != expected.at(i).text) {
            *wantedText = expected.at(i).text;
            return actual.at(i);
        }
    }
    return std::nullopt;
}

QString noParameterFileFault(const FieldText &field, const QString &wanted)
{
    return fieldAt(field.name, field.offset)
           + QStringLiteral(" is %1, but the image composed without a parameter file holds %2").arg(field.text, wanted);
}

// Exactly one of port code and flags is 0. An image that is the one without a parameter file
// but for the other of the two has that one wrong; otherwise the 0 is.
QString pairFault(const Config_Image &image)
{
    const bool noPortCode = image.ModbusSlave_Port_Code == 0;
    Config_Image initialElsewhere;
    initialElsewhere.Serial_Flags = image.Serial_Flags;
    initialElsewhere.ModbusSlave_Port_Code = image.ModbusSlave_Port_Code;
    QString wanted;
    if (!firstDifference(image, initialElsewhere, &wanted))
        return noParameterFileFault(*firstDifference(image, Config_Image{}, &wanted), wanted);
    return noPortCode ? fieldAt(QStringLiteral("ModbusSlave_Port_Code"), kModbusSlavePortCode)
                            + QStringLiteral(" is 0, which only the image composed without a parameter file holds, "
                                             "but Serial_Flags is %1")
                                  .arg(hexText(image.Serial_Flags))
                      : fieldAt(QStringLiteral("Serial_Flags"), kSerialFlags)
                            + QStringLiteral(" is 0, which only the image composed without a parameter file holds, "
                                             "but ModbusSlave_Port_Code is %1")
                                  .arg(hexText(image.ModbusSlave_Port_Code));
}

} // namespace

bool importImage(const QByteArray &bytes, ImageImport *result, QString *error)
{
    Config_Image image;
    quint32 stored = 0;
    quint32 computed = 0;
    if (!Parse_Image(bytes, &image, &stored, &computed)) {
        *error = wrongImageSizeMessage(bytes.size());
        return false;
    }
    if (stored != computed) {
        *error = wrongChecksumMessage(stored, computed);
        return false;
    }

    ValueRanges ranges(bytes);
    forEachField(image, ranges);
    ranges.finish();
    if (ranges.fault) {
        *error = *ranges.fault;
        return false;
    }

    // Port code and send-type flags are 0 together, and only without a parameter file.
    const bool noPortCode = image.ModbusSlave_Port_Code == 0;
    const bool noFlags = image.Serial_Flags == 0;
    if (noPortCode != noFlags) {
        *error = pairFault(image);
        return false;
    }

    ImageImport imported;
    imported.hasParameterFile = !noPortCode;
    imported.values = defaultParameterValues();
    if (imported.hasParameterFile)
        imported.values = valuesOf(image, &imported.told);

    // The guarantee: what is written composes back to this very image.
    std::optional<QByteArray> file;
    if (imported.hasParameterFile)
        file = parameterFileBytes(imported.values);
    QByteArray composed;
    QString composeError;
    Config_Image composedImage;
    if (!composeImage(file, kParGenFile, &composed, &composeError)
        || !Parse_Image(composed, &composedImage, &stored, &computed)) {
        *error = composeError;
        return false;
    }
    if (composed != bytes) {
        QString wanted;
        const std::optional<FieldText> field = firstDifference(image, composedImage, &wanted);
        if (!field)
            *error = QStringLiteral("no parameter file composes to this image");
        else if (imported.hasParameterFile)
            *error = fieldAt(field->name, field->offset)
                     + QStringLiteral(" is %1, but a parameter file that composes the rest of this image gives %2")
                           .arg(field->text, wanted);
        else
            *error = noParameterFileFault(*field, wanted);
        return false;
    }
    *result = imported;
    return true;
}
