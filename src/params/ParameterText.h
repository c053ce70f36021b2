#pragma once

#include "core/TextTable.h"
#include "params/Parameters.h"

#include <QString>

#include <optional>

// A parameter's value as a person writes it on the command line or in a plan: a choice as an
// item text in any letter case (the translated items in the language of `texts`) or as its
// index, -1 for no item; a flag as 1 or 0; a number as the text itself. Gives the text to
// store, or nothing with the reason in `error` (without the key, which the caller names).
// A text that XML cannot hold is refused for every kind.
std::optional<QString> storedValueOf(const ParameterDef &def, const QString &text, const TextTable &texts,
                                     QString *error);
