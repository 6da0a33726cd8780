// The check of an Act for its author: what the program would refuse, bytes that are not
// Shift_JIS, readings the key table cannot type and readings whose spaces do not match
// their written form's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "keytable.h"
#include "text.h"

namespace kotopa::tool {

struct ActCheck {
    std::vector<Finding> findings;  // in line and column order, whole-file findings first
    std::size_t pairs = 0;          // problem pairs looked at
};

// keys may be null: readings are then not checked against a key table.
ActCheck CheckAct(std::string_view bytes, const KeyTable* keys);

// The number of blanks (half or full width) in a Shift_JIS line.
int CountSpaces(std::string_view sjis);

}  // namespace kotopa::tool
