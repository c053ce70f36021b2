#pragma once

#include "core/TextTable.h"

#include <QList>
#include <QString>
#include <QStringList>

// The 33 communication parameters of a configuration, in file order. This table is the only
// list of their keys: the file, the rules, the editor, the image and the tool all use it.
//
// X(key, kind, editor control, default text)
#define KV40812_PARAMETERS(X)                                                     \
    X(Serial_Serial, Choice, CB_Serial_Serial, "1")                              \
    X(Serial_Baud, Choice, CB_Serial_Baud, "7")                                  \
    X(Serial_Parity, Choice, CB_Serial_Parity, "0")                              \
    X(Serial_Send_Type, Choice, CB_Serial_SendType, "0")                         \
    X(Serial_End_Char, Number, E_Serial_ST_EndChar, "13")                        \
    X(Serial_Num_Byte, Number, E_Serial_ST_NumByte, "1024")                      \
    X(Serial_TimeOut_RX, Number, E_Serial_TimeOut, "0")                          \
    X(Serial_DataBits, Choice, CB_Serial_DataBits, "1")                          \
    X(Serial_Time_Wait_RX_En, Flag, CB_Serial_Time_Wait_RX, "0")                 \
    X(Serial_Time_Wait_RX_Time, Number, E_Serial_Time_Wait_RX, "20")             \
    X(ModbusSlave_Serial, Choice, CB_ModbusSlave_Serial, "1")                    \
    X(ModbusSlave_Baud, Choice, CB_ModbusSlave_Baud, "7")                        \
    X(ModbusSlave_Parity, Choice, CB_ModbusSlave_Parity, "0")                    \
    X(ModbusSlave_ID_Device, Number, E_ModbusSlave_ID, "1")                      \
    X(ModbusSlave_Start_Read, Number, E_ModbusSlave_Start_Read, "2")             \
    X(ModbusSlave_Start_Write, Number, E_ModbusSlave_Start_Write, "1")           \
    X(ModbusSlave_Control_Word, Number, E_ModbusSlave_Control, "0")              \
    X(ModbusSlave_Status_Word, Number, E_ModbusSlave_Status, "0")                \
    X(ModbusSlave_Enable_NumByteRX, Flag, CB_ModbusSlave_NumBytesRX, "1")        \
    X(ModbusSlave_NumByteRX, Number, E_ModbusSlave_NumBytesRX, "1")              \
    X(ModbusTCPSlave_IP1, Number, E_ModbusTCPSlave_IP1, "192")                   \
    X(ModbusTCPSlave_IP2, Number, E_ModbusTCPSlave_IP2, "168")                   \
    X(ModbusTCPSlave_IP3, Number, E_ModbusTCPSlave_IP3, "0")                     \
    X(ModbusTCPSlave_IP4, Number, E_ModbusTCPSlave_IP4, "10")                    \
    X(ModbusTCPSlave_SM1, Number, E_ModbusTCPSlave_SM1, "255")                   \
    X(ModbusTCPSlave_SM2, Number, E_ModbusTCPSlave_SM2, "255")                   \
    X(ModbusTCPSlave_SM3, Number, E_ModbusTCPSlave_SM3, "255")                   \
    X(ModbusTCPSlave_SM4, Number, E_ModbusTCPSlave_SM4, "0")                     \
    X(ModbusTCPSlave_GAT1, Number, E_ModbusTCPSlave_GAT1, "192")                 \
    X(ModbusTCPSlave_GAT2, Number, E_ModbusTCPSlave_GAT2, "168")                 \
    X(ModbusTCPSlave_GAT3, Number, E_ModbusTCPSlave_GAT3, "0")                   \
    X(ModbusTCPSlave_GAT4, Number, E_ModbusTCPSlave_GAT4, "1")                   \
    X(ModbusTCPSlave_En_GAT, Flag, CB_ModbusTCPSlave_En_GAT, "0")

enum class ParameterKind {
    Choice, // the zero-based index of the selected item, "-1" for none
    Number, // the edit field's text exactly as typed
    Flag,   // "1" set, "0" clear
};

namespace Param {
#define KV40812_PARAMETER_ID(key, kind, control, def) key,
enum Id : int { KV40812_PARAMETERS(KV40812_PARAMETER_ID) Count };
#undef KV40812_PARAMETER_ID
}

struct ParameterDef {
    Param::Id id;
    QString key;
    ParameterKind kind;
    QString control;       // objectName of the editor's control
    QString defaultValue;  // the default as stored text
    QStringList items;     // fixed item texts of a choice
    QList<int> itemTexts;  // text-table indices of a choice whose items are translated
};

// All 33, in file order (which is also the order of Param::Id).
const QList<ParameterDef> &parameterSet();

const ParameterDef &parameter(Param::Id id);

// The parameter of a key, or nullptr.
const ParameterDef *findParameter(const QString &key);

// The item texts of the baud-rate lists; an index into it is what the file stores.
const QStringList &baudRateItems();

// A choice's item texts as its list shows them: fixed ones, or translated ones from `texts`.
QStringList choiceItems(const ParameterDef &def, const TextTable &texts);

// A value as the editor shows it: a choice as its item's text (the index itself where the list
// has no such item), anything else as stored.
QString shownValue(const ParameterDef &def, const QString &value, const TextTable &texts);
