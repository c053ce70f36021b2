#pragma once

#include "params/ParameterFile.h"

#include <QList>
#include <QString>

#include <optional>

// How the device ends a frame that it sends on the serial port. The value is the item index of
// the editor's send-type list, which is what the parameter file stores.
enum class SendType { EndCharacter = 0, NumBytesOnControlWord = 1, FixNumBytes = 2 };

// Every send type, in the list's order.
const QList<SendType> &allSendTypes();

// The send type at a list index; nothing for no selection (-1) or an index the list does not have.
std::optional<SendType> sendTypeOf(qint32 index);

// The send type a parameter set holds; nothing for no selection, an index the list does not
// have, or a text that is no integer. Each user decides what nothing means to it.
std::optional<SendType> sendTypeOf(const ParameterValues &values);

// The text a parameter set holds for a send type.
QString sendTypeValue(SendType type);
