#pragma once

#include "core/TextTable.h"
#include "params/ParameterFile.h"

#include <QList>
#include <QString>

#include <optional>

// Addresses the device's limits accept but a network seldom wants. They never stop a save;
// the tool prints them and can be told to treat them as errors.
struct NetworkWarning {
    QString key;     // the first key of the address it concerns, e.g. ModbusTCPSlave_SM1
    QString message; // in the language of the texts it was made with
};

// Checks the device's address, subnet mask and (when switched on) gateway: a mask whose
// one-bits are not contiguous; an address that is its subnet's network or broadcast address;
// a gateway outside the device's subnet; an address in 0.0.0.0/8, 127.0.0.0/8 or 224.0.0.0/4,
// or 255.255.255.255. An address whose numbers break the device's limits is left to the
// validation rules and not looked at here.
QList<NetworkWarning> networkWarnings(const ParameterValues &values, const TextTable &texts);

// The four numbers from key `first` on (IP1, SM1 or GAT1) as one address, first number in the
// top byte; nothing when one of them is not a number from 0 to 255.
std::optional<quint32> addressOf(const ParameterValues &values, Param::Id first);
