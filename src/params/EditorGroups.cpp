#include "params/EditorGroups.h"

namespace {

EditorRow row(int caption, const char *control, Param::Id value)
{
    return {caption, QString::fromLatin1(control), std::nullopt, {value}};
}

EditorRow checkedRow(int caption, Param::Id check, QList<Param::Id> values)
{
    return {caption, parameter(check).control, check, values};
}

QList<Param::Id> address(Param::Id first)
{
    return {first, Param::Id(first + 1), Param::Id(first + 2), Param::Id(first + 3)};
}

} // namespace

const QList<EditorGroup> &editorGroups()
{
    using namespace Param;
    static const QList<EditorGroup> groups{
        {QStringLiteral("GB_Serial"),
         406,
         {row(407, "L_Serial_Serial", Serial_Serial), row(408, "L_Serial_Baud", Serial_Baud),
          row(409, "L_Serial_Par", Serial_Parity), row(513, "L_Serial_DataBits", Serial_DataBits),
          row(410, "L_Serial_SendType", Serial_Send_Type), row(418, "L_Serial_ST_EndChar", Serial_End_Char),
          row(419, "L_Serial_ST_NumByte", Serial_Num_Byte), row(414, "CB_Serial_TimeOut", Serial_TimeOut_RX),
          checkedRow(516, Serial_Time_Wait_RX_En, {Serial_Time_Wait_RX_Time})}},
        {QStringLiteral("GB_ModbusSlave"),
         424,
         {row(425, "L_ModbusSlave_Serial", ModbusSlave_Serial), row(426, "L_ModbusSlave_Baud", ModbusSlave_Baud),
          row(427, "L_ModbusSlave_Par", ModbusSlave_Parity), row(428, "L_ModbusSlave_IDDev", ModbusSlave_ID_Device),
          row(429, "L_ModbusSlave_Start_Read", ModbusSlave_Start_Read),
          row(430, "L_ModbusSlave_Start_Write", ModbusSlave_Start_Write),
          row(431, "L_ModbusSlave_Control", ModbusSlave_Control_Word),
          row(432, "L_ModbusSlave_Status", ModbusSlave_Status_Word),
          checkedRow(509, ModbusSlave_Enable_NumByteRX, {ModbusSlave_NumByteRX})}},
        {QStringLiteral("GB_ModbusTCPSlave"),
         441,
         {{443, QStringLiteral("L_ModbusTCPSlave_IP_Add"), std::nullopt, address(ModbusTCPSlave_IP1)},
          {444, QStringLiteral("L_ModbusTCPSlave_SM_Add"), std::nullopt, address(ModbusTCPSlave_SM1)},
          checkedRow(445, ModbusTCPSlave_En_GAT, address(ModbusTCPSlave_GAT1))}},
    };
    return groups;
}

bool editorShowsRow(const EditorRow &row, const ParameterValues &values)
{
    // Fix Num Bytes is the list's last item, and the editor's choice for any other index.
    const SendType sendType = sendTypeOf(values).value_or(SendType::FixNumBytes);
    if (row.values.contains(Param::Serial_End_Char))
        return sendType == SendType::EndCharacter;
    if (row.values.contains(Param::Serial_Num_Byte))
        return sendType == SendType::FixNumBytes;
    return true;
}
