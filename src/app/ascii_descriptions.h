// The one-line descriptions of the 128 ASCII codes that the inspector shows
// when the pointer rests on a cell of the ASCII layout.
#pragma once

#include <array>
#include <string>

namespace zelo::app {

// Index = character code 00H-7FH. Control codes name their key and code
// ("   CTRL-@  NUL (Null)"), printable codes the character and its name
// ("  A   Upper case alphabetic character"). Each entry starts with three
// blanks for codes 0-9, two for 10-99 and one for 100-127.
std::array<std::string, 128> BuildAsciiDescriptions();

// The same table, built once and shared read-only.
const std::array<std::string, 128>& AsciiDescriptions();

}  // namespace zelo::app
