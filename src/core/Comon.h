#pragma once

#include <QString>
#include <QStringView>

// Removes every character with a code of 32 or below (blanks, line breaks, controls) from both ends.
QString trimControl(QStringView text);
