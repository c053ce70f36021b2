#include "params/EditorGroups.h"

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
    using enum SendType;
    static const QList<EditorGroup> groups{
        {QStringLiteral("Serial"),
         406,
         {
             row(label(407, "L_Serial_Serial", {16, 24}), {Serial_Serial, {82, 21, 192, 22}, 415}),
             row(label(408, "L_Serial_Baud", {16, 58}), {Serial_Baud, {82, 55, 192, 22}, 416}),
             row(label(409, "L_Serial_Par", {16, 92}), {Serial_Parity, {82, 89, 192, 22}, 417}),
             row(label(513, "L_Serial_DataBits", {16, 126}), {Serial_DataBits, {82, 123, 192, 22}, -1}),
             row(label(410, "L_Serial_SendType", {16, 160}), {Serial_Send_Type, {82, 157, 192, 22}, 422}),
             row(label(418, "L_Serial_ST_EndChar", {16, kByLayout}), {Serial_End_Char, {148, kByLayout, 126, 21}, 420},
                 {EndCharacter}),
             row(label(419, "L_Serial_ST_NumByte", {16, kByLayout}), {Serial_Num_Byte, {148, kByLayout, 126, 21}, 421},
                 {FixNumBytes}),
             row(label(414, "CB_Serial_TimeOut", {16, kByLayout}), {Serial_TimeOut_RX, {148, kByLayout, 126, 21}, 423}),
             row(checkBox(516, Serial_Time_Wait_RX_En, {16, kByLayout, 121, 17}, 517),
                 {Serial_Time_Wait_RX_Time, {148, kByLayout, 126, 21}, 518}),
         }},
        {QStringLiteral("ModbusSlave"),
         424,
         {
             row(label(425, "L_ModbusSlave_Serial", {16, 24}), {ModbusSlave_Serial, {82, 21, 192, 22}, 433}),
             row(label(426, "L_ModbusSlave_Baud", {16, 58}), {ModbusSlave_Baud, {82, 55, 192, 22}, 434}),
             row(label(427, "L_ModbusSlave_Par", {16, 92}), {ModbusSlave_Parity, {82, 89, 192, 22}, 435}),
             row(label(428, "L_ModbusSlave_IDDev", {16, 126}), {ModbusSlave_ID_Device, {82, 123, 192, 21}, 436}),
             row(label(429, "L_ModbusSlave_Start_Read", {16, 160}), {ModbusSlave_Start_Read, {148, 157, 126, 21}, 437}),
             row(label(430, "L_ModbusSlave_Start_Write", {16, 194}), {ModbusSlave_Start_Write, {148, 191, 126, 21}, 438}),
             row(label(431, "L_ModbusSlave_Control", {16, 228}), {ModbusSlave_Control_Word, {148, 225, 126, 21}, 439}),
             row(label(432, "L_ModbusSlave_Status", {16, 262}), {ModbusSlave_Status_Word, {148, 259, 126, 21}, 440}),
             row(checkBox(509, ModbusSlave_Enable_NumByteRX, {16, 296, 129, 17}, 510),
                 {ModbusSlave_NumByteRX, {148, 294, 126, 21}, 511}),
         }},
        {QStringLiteral("ModbusTCPSlave"),
         441,
         {
             address(label(443, "L_ModbusTCPSlave_IP_Add", {16, 24}), ModbusTCPSlave_IP1, 43, {451, 452, 453, 454}),
             address(label(444, "L_ModbusTCPSlave_SM_Add", {16, 79}), ModbusTCPSlave_SM1, 98, {455, 456, 457, 458}),
             address(checkBox(445, ModbusTCPSlave_En_GAT, {16, 134, 257, 17}, 463), ModbusTCPSlave_GAT1, 154,
                     {459, 460, 461, 462}),
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
