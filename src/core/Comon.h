#pragma once

#include <QString>
#include <QStringView>

// Removes every character with a code of 32 or below (blanks, line breaks, controls) from both ends.
QString trimControl(QStringView text);

// Splits a dotted IPv4 address into its four parts, each trimmed but otherwise as typed
// (leading zeros stay). Fails unless there are three dots and every part is a number in
// 0 ... 255; the parts are meant to be used only on success.
bool Split_IP_Address(const QString &Text, QString &IP1, QString &IP2, QString &IP3, QString &IP4);
