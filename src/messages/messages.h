// Every text the program shows, as Shift_JIS constants in namespace kotopa::msg: the UTF-8
// table messages.txt, made into messages.inc by make_messages (scripts/build-data.sh).
#pragma once

#include <string_view>

#include "messages.inc"
