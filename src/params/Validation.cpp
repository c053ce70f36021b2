#include "params/Validation.h"

#include "core/IntegerConversion.h"
#include "core/TextIndex.h"
#include "params/SendType.h"

namespace {

enum class When { Always, EndCharacterSent, FixedBytesSent, WaitTimeOn, ByteCounterOn, GatewayOn };

struct RangeRule {
    When when;
    Param::Id field;
    qint32 low;
    qint32 high;
    int text;
};

// Rule 1 (both ports on RS232, Txt::ErrBothPortsRs232) runs before these, in this order.
constexpr RangeRule kRangeRules[] = {
    {When::EndCharacterSent, Param::Serial_End_Char, 0, 255, Txt::ErrSerialEndChar},
    {When::FixedBytesSent, Param::Serial_Num_Byte, 1, 1024, Txt::ErrSerialNumBytes},
    {When::WaitTimeOn, Param::Serial_Time_Wait_RX_Time, 1, 1000, Txt::ErrSerialWaitTime},
    {When::Always, Param::ModbusSlave_ID_Device, 1, 247, Txt::ErrSlaveId},
    {When::Always, Param::ModbusSlave_Start_Read, 0, 65000, Txt::ErrSlaveStartRead},
    {When::Always, Param::ModbusSlave_Start_Write, 0, 65000, Txt::ErrSlaveStartWrite},
    {When::Always, Param::ModbusSlave_Control_Word, 0, 65535, Txt::ErrSlaveControlWord},
    {When::Always, Param::ModbusSlave_Status_Word, 0, 65535, Txt::ErrSlaveStatusWord},
    {When::ByteCounterOn, Param::ModbusSlave_NumByteRX, 0, 65535, Txt::ErrSlaveNumBytesRx},
    {When::Always, Param::ModbusTCPSlave_IP1, 0, 255, Txt::ErrEthernetIp1},
    {When::Always, Param::ModbusTCPSlave_IP2, 0, 255, Txt::ErrEthernetIp2},
    {When::Always, Param::ModbusTCPSlave_IP3, 0, 255, Txt::ErrEthernetIp3},
    {When::Always, Param::ModbusTCPSlave_IP4, 0, 255, Txt::ErrEthernetIp4},
    {When::Always, Param::ModbusTCPSlave_SM1, 0, 255, Txt::ErrEthernetMask1},
    {When::Always, Param::ModbusTCPSlave_SM2, 0, 255, Txt::ErrEthernetMask2},
    {When::Always, Param::ModbusTCPSlave_SM3, 0, 255, Txt::ErrEthernetMask3},
    {When::Always, Param::ModbusTCPSlave_SM4, 0, 255, Txt::ErrEthernetMask4},
    {When::GatewayOn, Param::ModbusTCPSlave_GAT1, 0, 255, Txt::ErrEthernetGateway1},
    {When::GatewayOn, Param::ModbusTCPSlave_GAT2, 0, 255, Txt::ErrEthernetGateway2},
    {When::GatewayOn, Param::ModbusTCPSlave_GAT3, 0, 255, Txt::ErrEthernetGateway3},
    {When::GatewayOn, Param::ModbusTCPSlave_GAT4, 0, 255, Txt::ErrEthernetGateway4},
};

bool applies(When when, const ParameterValues &values)
{
    // No selection, or an index the list does not have, sends neither end character nor fixed bytes.
    const std::optional<SendType> sendType = sendTypeOf(values);
    switch (when) {
    case When::Always:
        return true;
    case When::EndCharacterSent:
        return sendType == SendType::EndCharacter;
    case When::FixedBytesSent:
        return sendType == SendType::FixNumBytes;
    case When::WaitTimeOn:
        return values[Param::Serial_Time_Wait_RX_En] == u"1";
    case When::ByteCounterOn:
        return values[Param::ModbusSlave_Enable_NumByteRX] == u"1";
    case When::GatewayOn:
        return values[Param::ModbusTCPSlave_En_GAT] == u"1";
    }
    return false;
}

} // namespace

std::optional<int> firstBrokenRule(const ParameterValues &values)
{
    // No selection (-1) is not RS232.
    if (toIntegerDef(values[Param::Serial_Serial], -1) == 0 && toIntegerDef(values[Param::ModbusSlave_Serial], -1) == 0)
        return Txt::ErrBothPortsRs232;
    for (const RangeRule &rule : kRangeRules) {
        if (!applies(rule.when, values))
            continue;
        // Every range starts at 0 or 1, so a text that does not convert fails with -1.
        const qint32 value = toIntegerDef(values[rule.field], -1);
        if (value < rule.low || value > rule.high)
            return rule.text;
    }
    return std::nullopt;
}

Param::Id ruleField(int text)
{
    for (const RangeRule &rule : kRangeRules) {
        if (rule.text == text)
            return rule.field;
    }
    return Param::Serial_Serial;
}

std::optional<NumberRange> numberRangeOf(Param::Id field)
{
    for (const RangeRule &rule : kRangeRules) {
        if (rule.field != field)
            continue;
        NumberRange range{rule.low, rule.high, std::nullopt};
        switch (rule.when) {
        case When::Always:
            break;
        case When::EndCharacterSent:
            range.when = {Param::Serial_Send_Type, sendTypeValue(SendType::EndCharacter)};
            break;
        case When::FixedBytesSent:
            range.when = {Param::Serial_Send_Type, sendTypeValue(SendType::FixNumBytes)};
            break;
        case When::WaitTimeOn:
            range.when = {Param::Serial_Time_Wait_RX_En, QStringLiteral("1")};
            break;
        case When::ByteCounterOn:
            range.when = {Param::ModbusSlave_Enable_NumByteRX, QStringLiteral("1")};
            break;
        case When::GatewayOn:
            range.when = {Param::ModbusTCPSlave_En_GAT, QStringLiteral("1")};
            break;
        }
        return range;
    }
    return std::nullopt;
}
