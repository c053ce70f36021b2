#pragma once

#include "core/TextTable.h"

#include <QList>
#include <QString>
#include <QStringList>

// The 33 communication parameters of a configuration, in file order. This table is the only
// list of their keys: the file, the rules, the editor, the image and the tool all use it.
//
// X(key, kind, editor control, default text, unit, meaning)
#define KV40812_PARAMETERS(X)                                                                                      \
    X(Serial_Serial, Choice, CB_Serial_Serial, "1", "", "electrical interface of the serial port")                 \
    X(Serial_Baud, Choice, CB_Serial_Baud, "7", "bit/s", "serial baud rate")                                       \
    X(Serial_Parity, Choice, CB_Serial_Parity, "0", "", "serial parity")                                           \
    X(Serial_Send_Type, Choice, CB_Serial_SendType, "0", "",                                                       \
      "how the device delimits a frame that it sends on the serial port")                                          \
    X(Serial_End_Char, Number, E_Serial_ST_EndChar, "13", "", "the byte that ends a frame")                        \
    X(Serial_Num_Byte, Number, E_Serial_ST_NumByte, "1024", "bytes", "fixed frame length")                         \
    X(Serial_TimeOut_RX, Number, E_Serial_TimeOut, "0", "ms",                                                      \
      "time-out before received data are discarded; 0 switches the function off")                                  \
    X(Serial_DataBits, Choice, CB_Serial_DataBits, "1", "bits", "serial data bits")                                \
    X(Serial_Time_Wait_RX_En, Flag, CB_Serial_Time_Wait_RX, "0", "",                                               \
      "use a custom time to wait before a received frame counts as finished")                                      \
    X(Serial_Time_Wait_RX_Time, Number, E_Serial_Time_Wait_RX, "20", "ms", "that custom time to wait")             \
    X(ModbusSlave_Serial, Choice, CB_ModbusSlave_Serial, "1", "", "electrical interface of the Modbus slave port") \
    X(ModbusSlave_Baud, Choice, CB_ModbusSlave_Baud, "7", "bit/s", "Modbus slave baud rate")                       \
    X(ModbusSlave_Parity, Choice, CB_ModbusSlave_Parity, "0", "", "Modbus slave parity")                           \
    X(ModbusSlave_ID_Device, Number, E_ModbusSlave_ID, "1", "", "Modbus slave device address")                     \
    X(ModbusSlave_Start_Read, Number, E_ModbusSlave_Start_Read, "2", "", "first Modbus register of the read data") \
    X(ModbusSlave_Start_Write, Number, E_ModbusSlave_Start_Write, "1", "",                                         \
      "first Modbus register of the write data")                                                                   \
    X(ModbusSlave_Control_Word, Number, E_ModbusSlave_Control, "0", "", "Modbus register used as control word")    \
    X(ModbusSlave_Status_Word, Number, E_ModbusSlave_Status, "0", "", "Modbus register used as status word")       \
    X(ModbusSlave_Enable_NumByteRX, Flag, CB_ModbusSlave_NumBytesRX, "1", "",                                      \
      "enable the register that holds the number of bytes of the last serial frame received")                      \
    X(ModbusSlave_NumByteRX, Number, E_ModbusSlave_NumBytesRX, "1", "", "the register of that number of bytes")    \
    X(ModbusTCPSlave_IP1, Number, E_ModbusTCPSlave_IP1, "192", "", "device IP address, first number")              \
    X(ModbusTCPSlave_IP2, Number, E_ModbusTCPSlave_IP2, "168", "", "device IP address, second number")             \
    X(ModbusTCPSlave_IP3, Number, E_ModbusTCPSlave_IP3, "0", "", "device IP address, third number")                \
    X(ModbusTCPSlave_IP4, Number, E_ModbusTCPSlave_IP4, "10", "", "device IP address, fourth number")              \
    X(ModbusTCPSlave_SM1, Number, E_ModbusTCPSlave_SM1, "255", "", "subnet mask, first number")                    \
    X(ModbusTCPSlave_SM2, Number, E_ModbusTCPSlave_SM2, "255", "", "subnet mask, second number")                   \
    X(ModbusTCPSlave_SM3, Number, E_ModbusTCPSlave_SM3, "255", "", "subnet mask, third number")                    \
    X(ModbusTCPSlave_SM4, Number, E_ModbusTCPSlave_SM4, "0", "", "subnet mask, fourth number")                     \
    X(ModbusTCPSlave_GAT1, Number, E_ModbusTCPSlave_GAT1, "192", "", "default gateway, first number")              \
    X(ModbusTCPSlave_GAT2, Number, E_ModbusTCPSlave_GAT2, "168", "", "default gateway, second number")             \
    X(ModbusTCPSlave_GAT3, Number, E_ModbusTCPSlave_GAT3, "0", "", "default gateway, third number")                \
    X(ModbusTCPSlave_GAT4, Number, E_ModbusTCPSlave_GAT4, "1", "", "default gateway, fourth number")               \
    X(ModbusTCPSlave_En_GAT, Flag, CB_ModbusTCPSlave_En_GAT, "0", "", "use the default gateway")

enum class ParameterKind {
    Choice, // the zero-based index of the selected item, "-1" for none
    Number, // the edit field's text exactly as typed
    Flag,   // "1" set, "0" clear
};

namespace Param {
#define KV40812_PARAMETER_ID(key, kind, control, def, unit, meaning) key,
enum Id : int { KV40812_PARAMETERS(KV40812_PARAMETER_ID) Count };
#undef KV40812_PARAMETER_ID
}

struct ParameterDef {
    Param::Id id;
    QString key;
    ParameterKind kind;
    QString control;       // objectName of the editor's control
    QString defaultValue;  // the default as stored text
    QString unit;          // of a number or a choice's items; empty where there is none
    QString meaning;
    QStringList items;     // fixed item texts of a choice
    QList<int> itemTexts;  // text-table indices of a choice whose items are translated
};

// All 33, in file order (which is also the order of Param::Id).
const QList<ParameterDef> &parameterSet();

const ParameterDef &parameter(Param::Id id);

// The parameter of a key in any letter case, or nullptr.
const ParameterDef *findParameter(const QString &key);

// The 33 keys in file order.
QStringList parameterKeys();

// The item texts of the baud-rate lists; an index into it is what the file stores.
const QStringList &baudRateItems();

// A choice's item texts as its list shows them: fixed ones, or translated ones from `texts`.
QStringList choiceItems(const ParameterDef &def, const TextTable &texts);

// A value as the editor shows it: a choice as its item's text (the index itself where the list
// has no such item), anything else as stored.
QString shownValue(const ParameterDef &def, const QString &value, const TextTable &texts);
