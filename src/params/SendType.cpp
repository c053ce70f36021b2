#include "params/SendType.h"

#include "core/IntegerConversion.h"

const QList<SendType> &allSendTypes()
{
    static const QList<SendType> types{SendType::EndCharacter, SendType::NumBytesOnControlWord, SendType::FixNumBytes};
    return types;
}

std::optional<SendType> sendTypeOf(qint32 index)
{
    for (const SendType type : allSendTypes()) {
        if (static_cast<qint32>(type) == index)
            return type;
    }
    return std::nullopt;
}

std::optional<SendType> sendTypeOf(const ParameterValues &values)
{
    return sendTypeOf(toIntegerDef(values[Param::Serial_Send_Type], -1));
}

QString sendTypeValue(SendType type)
{
    return QString::number(static_cast<int>(type));
}
