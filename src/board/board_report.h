// What the board (and the terminal) show, as JSON: the form `z51 run
// --board` prints and tests compare.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/serial_terminal.h"

namespace zelo::board {

// {"name", "problems", "leds": "10000000" (LED 0 first, 1 = lit),
//  "digits": {"text", "segments": ["3F", ...], "flickering": [...]},
//  "lcd": {"on", "lines": [2], "cursor": [line, column], "problems"},
//  "buzzerHz", "serial": {"text", "hex", "bytes", "programBaud", "warning"}}
// Only the components the board has appear; serial only with a terminal.
nlohmann::json BoardReport(const Board& board, const std::vector<std::string>& problems,
                           const SerialTerminal* terminal);

}  // namespace zelo::board
