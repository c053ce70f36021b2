#pragma once

#include "params/ParameterFile.h"

#include <optional>

// The device's limits, checked in a fixed order before a parameter set is saved. Returns the
// text-table index of the first broken rule's message, or nothing when the set may be saved.
std::optional<int> firstBrokenRule(const ParameterValues &values);

// The field a rule checks, by the text-table index of its message: the serial port's choice
// for the rule that keeps both ports off RS232.
Param::Id ruleField(int text);
