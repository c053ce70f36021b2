#pragma once

#include "params/ParameterFile.h"

#include <optional>
#include <utility>

// The device's limits, checked in a fixed order before a parameter set is saved. Returns the
// text-table index of the first broken rule's message, or nothing when the set may be saved.
std::optional<int> firstBrokenRule(const ParameterValues &values);

// The range a rule holds a number field to, and the stored value of another parameter that the
// rule waits for (nothing: it always runs).
struct NumberRange {
    qint32 low = 0;
    qint32 high = 0;
    std::optional<std::pair<Param::Id, QString>> when;
};

// The range of a number field; nothing for a field no rule checks.
std::optional<NumberRange> numberRangeOf(Param::Id field);

// The field a rule checks, by the text-table index of its message: the serial port's choice
// for the rule that keeps both ports off RS232.
Param::Id ruleField(int text);
