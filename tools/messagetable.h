// The message table: every text the program shows, written in UTF-8 in
// src/messages/messages.txt, and the Shift_JIS constants that the code uses
// (src/messages/messages.inc, included by messages.h), made from it by make_messages.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text.h"  // Finding

namespace kotopa::tool {

// The constants of a table, or nothing when a line of it is wrong (each one in findings).
// A table line is empty, a comment ("#" first), "[name]" (the constants that follow belong
// to namespace kotopa::name) or a constant: its name, blanks and its text in double quotes,
// where \" \\ \n \r and \t stand for a quote, a backslash, LF, CR and a tab. Each constant
// becomes "k" + name, a std::string_view of the text's Shift_JIS bytes.
std::optional<std::string> MessagesHeader(std::string_view table, std::vector<Finding>& findings);

}  // namespace kotopa::tool
