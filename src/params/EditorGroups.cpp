#include "params/EditorGroups.h"

#include "core/TextIndex.h"

namespace {

RowCaption label(int text, const char *control, ControlPlace place)
{
    return {text, QString::fromLatin1(control), std::nullopt, -1, place};
}

RowCaption checkBox(int text, Param::Id flag, ControlPlace place, int hint)
{
    return {text, parameter(flag).control, flag, hint, place};
}

EditorRow row(RowCaption caption, RowInput input, QList<SendType> sendTypes = allSendTypes())
{
    return {RowKind::Plain, std::move(caption), {input}, std::move(sendTypes)};
}

// The four numbers of a dotted address side by side, each 60 x 21, the first at left 16.
EditorRow address(RowCaption caption, Param::Id first, int top, const QList<int> &hints)
{
    EditorRow row{RowKind::Address, std::move(caption), {}};
    for (int i = 0; i < 4; ++i)
        row.inputs.append({Param::Id(first + i), {16 + 66 * i, top, 60, 21}, hints.at(i)});
    return row;
}

} // namespace

const QList<EditorGroup> &editorGroups()
{
    using namespace Param;
    using namespace Txt;
    using enum SendType;
    static const QList<EditorGroup> groups{
        {QStringLiteral("Serial"),
         EditorSerialGroup,
         {
             row(label(EditorSerialCaption, "L_Serial_Serial", {16, 24}),
                 {Serial_Serial, {82, 21, 192, 22}, EditorSerialHint}),
             row(label(EditorSerialBaudCaption, "L_Serial_Baud", {16, 58}),
                 {Serial_Baud, {82, 55, 192, 22}, EditorSerialBaudHint}),
             row(label(EditorSerialParityCaption, "L_Serial_Par", {16, 92}),
                 {Serial_Parity, {82, 89, 192, 22}, EditorSerialParityHint}),
             row(label(EditorDataBitsCaption, "L_Serial_DataBits", {16, 126}),
                 {Serial_DataBits, {82, 123, 192, 22}, -1}),
             row(label(EditorSendTypeCaption, "L_Serial_SendType", {16, 160}),
                 {Serial_Send_Type, {82, 157, 192, 22}, EditorSendTypeHint}),
             row(label(EditorEndCharCaption, "L_Serial_ST_EndChar", {16, kByLayout}),
                 {Serial_End_Char, {148, kByLayout, 126, 21}, EditorEndCharHint}, {EndCharacter}),
             row(label(EditorNumBytesCaption, "L_Serial_ST_NumByte", {16, kByLayout}),
                 {Serial_Num_Byte, {148, kByLayout, 126, 21}, EditorNumBytesHint}, {FixNumBytes}),
             row(label(EditorTimeOutCaption, "CB_Serial_TimeOut", {16, kByLayout}),
                 {Serial_TimeOut_RX, {148, kByLayout, 126, 21}, EditorTimeOutHint}),
             row(checkBox(EditorWaitTimeCaption, Serial_Time_Wait_RX_En, {16, kByLayout, 121, 17},
                          EditorWaitTimeEnableHint),
                 {Serial_Time_Wait_RX_Time, {148, kByLayout, 126, 21}, EditorWaitTimeHint}),
         }},
        {QStringLiteral("ModbusSlave"),
         EditorModbusSlaveGroup,
         {
             row(label(EditorSlaveSerialCaption, "L_ModbusSlave_Serial", {16, 24}),
                 {ModbusSlave_Serial, {82, 21, 192, 22}, EditorSlaveSerialHint}),
             row(label(EditorSlaveBaudCaption, "L_ModbusSlave_Baud", {16, 58}),
                 {ModbusSlave_Baud, {82, 55, 192, 22}, EditorSlaveBaudHint}),
             row(label(EditorSlaveParityCaption, "L_ModbusSlave_Par", {16, 92}),
                 {ModbusSlave_Parity, {82, 89, 192, 22}, EditorSlaveParityHint}),
             row(label(EditorSlaveIdCaption, "L_ModbusSlave_IDDev", {16, 126}),
                 {ModbusSlave_ID_Device, {82, 123, 192, 21}, EditorSlaveIdHint}),
             row(label(EditorSlaveStartReadCaption, "L_ModbusSlave_Start_Read", {16, 160}),
                 {ModbusSlave_Start_Read, {148, 157, 126, 21}, EditorSlaveStartReadHint}),
             row(label(EditorSlaveStartWriteCaption, "L_ModbusSlave_Start_Write", {16, 194}),
                 {ModbusSlave_Start_Write, {148, 191, 126, 21}, EditorSlaveStartWriteHint}),
             row(label(EditorSlaveControlWordCaption, "L_ModbusSlave_Control", {16, 228}),
                 {ModbusSlave_Control_Word, {148, 225, 126, 21}, EditorSlaveControlWordHint}),
             row(label(EditorSlaveStatusWordCaption, "L_ModbusSlave_Status", {16, 262}),
                 {ModbusSlave_Status_Word, {148, 259, 126, 21}, EditorSlaveStatusWordHint}),
             row(checkBox(EditorNumBytesRxCaption, ModbusSlave_Enable_NumByteRX, {16, 296, 129, 17},
                          EditorNumBytesRxEnableHint),
                 {ModbusSlave_NumByteRX, {148, 294, 126, 21}, EditorNumBytesRxHint}),
         }},
        {QStringLiteral("ModbusTCPSlave"),
         EditorEthernetGroup,
         {
             address(label(EditorIpAddressCaption, "L_ModbusTCPSlave_IP_Add", {16, 24}), ModbusTCPSlave_IP1, 43,
                     {EditorIpAddress1Hint, EditorIpAddress2Hint, EditorIpAddress3Hint, EditorIpAddress4Hint}),
             address(label(EditorSubnetMaskCaption, "L_ModbusTCPSlave_SM_Add", {16, 79}), ModbusTCPSlave_SM1, 98,
                     {EditorSubnetMask1Hint, EditorSubnetMask2Hint, EditorSubnetMask3Hint, EditorSubnetMask4Hint}),
             address(checkBox(EditorGatewayCaption, ModbusTCPSlave_En_GAT, {16, 134, 257, 17}, EditorGatewayEnableHint),
                     ModbusTCPSlave_GAT1, 154,
                     {EditorGateway1Hint, EditorGateway2Hint, EditorGateway3Hint, EditorGateway4Hint}),
         }},
    };
    return groups;
}

bool editorShowsRow(const EditorRow &row, std::optional<SendType> sendType)
{
    // Fix Num Bytes is the list's last item, and the editor's choice for any other index.
    return row.sendTypes.contains(sendType.value_or(SendType::FixNumBytes));
}

bool editorShowsRow(const EditorRow &row, const ParameterValues &values)
{
    return editorShowsRow(row, sendTypeOf(values));
}
