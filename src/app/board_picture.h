// Where each part of the accessory board is drawn, in pixels of the board
// area, and which part a click lands on. The window paints these shapes
// with the board's state and forwards clicks on inputs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "board/board_wiring.h"

namespace zelo::app {

enum class BoardPart { Caption, Led, Switch, Button, Digit, Key, Lcd, Buzzer };

struct BoardShape
{
    BoardPart part = BoardPart::Caption;
    int index = 0;  // LED, switch, button or digit number; key row * 4 + column
    int x = 0, y = 0, w = 0, h = 0;
    std::string label;  // caption text, key label, or the pin name of an input
};

struct BoardPicture
{
    std::vector<BoardShape> shapes;
    int width = 0, height = 0;
};

// The components in a fixed order (LEDs, switches, buttons, digits, keypad,
// LCD, buzzer), each under its caption, flowing left to right and on to a
// new row when the width is used up.
BoardPicture LayOutBoard(const board::BoardWiring& wiring, int width);

// The input (switch, button or key) under the point, if any.
std::optional<BoardShape> HitBoardInput(const BoardPicture& picture, int x, int y);

}  // namespace zelo::app
