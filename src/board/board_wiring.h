// What a board is made of and how it is wired: the components of a board
// file and their port pins, read from the file's JSON text.
//
// A board file is one JSON object; each key names a component (at most one of
// each), its value the wiring:
//   "name":     "LEDs and switches"
//   "leds":     {"pins": "P1", "lit": "low"}          // "P1" = P1.0..P1.7
//   "switches": {"pins": ["P2.0", "P2.1"]}             // closed = pin held low
//   "buttons":  {"pins": ["P3.2", "P3.3"]}             // pressed = pin held low
//   "digits":   {"segments": "P0", "select": ["P2.0", "P2.1", "P2.2", "P2.3"],
//                "selectActive": "low", "common": "anode", "persistenceMs": 20}
//               with "decoder": true the select pins are the A, B, C inputs of
//               a 3-to-8 decoder and "count" (4 or 8) says how many digits
//   "keypad":   {"rows": [4 pins], "columns": [4 pins], "labels": "123A456B789C*0#D"}
//   "lcd":      {"data": "P1" or [D4..D7], "rs": "P3.4", "rw": "P3.5", "e": "P3.7"}
//   "buzzer":   {"pin": "P3.7"}
// Segment pins are a, b, c, d, e, f, g, dp in that order (bit 0 = a when a
// whole port is named).
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/board_types.h"
#include "core/chip_model.h"

namespace zelo::board {

struct LedWiring
{
    std::vector<PinRef> pins;
    bool litWhenLow = true;
};

struct ContactWiring  // slide switches or push buttons
{
    std::vector<PinRef> pins;
};

struct DigitsWiring
{
    std::array<PinRef, 8> segments{};  // a..g, dp
    std::vector<PinRef> select;        // one per digit, or the decoder's A, B, C
    bool decoder = false;
    int count = 4;
    bool selectActiveLow = true;
    bool commonAnode = true;  // a segment lights when its pin is low
    double persistenceMs = 20.0;
};

struct KeypadWiring
{
    std::array<PinRef, 4> rows{};
    std::array<PinRef, 4> columns{};
    std::string labels = "123A456B789C*0#D";  // row by row
};

struct LcdWiring
{
    std::vector<PinRef> data;  // D0..D7, or D4..D7 for a 4-bit wiring
    PinRef rs{}, e{};
    std::optional<PinRef> rw;  // not wired: RW tied low, the LCD is only written
};

struct BuzzerWiring
{
    PinRef pin{};
};

struct BoardWiring
{
    std::string name;
    std::optional<LedWiring> leds;
    std::optional<ContactWiring> switches;
    std::optional<ContactWiring> buttons;
    std::optional<DigitsWiring> digits;
    std::optional<KeypadWiring> keypad;
    std::optional<LcdWiring> lcd;
    std::optional<BuzzerWiring> buzzer;

    bool Empty() const
    {
        return !leds && !switches && !buttons && !digits && !keypad && !lcd && !buzzer;
    }
};

// The outcome of reading a board: the board (empty when the text could not
// be used) and the problems found, each naming the component and the pin or
// key at fault. A component wired to pins the chip lacks is left off with a
// problem; the rest of the board stays.
struct BoardRead
{
    BoardWiring wiring;
    std::vector<std::string> problems;
    bool Ok() const { return problems.empty(); }
};

BoardRead ParseBoard(std::string_view jsonText, core::ChipModel chip);
// Reads the file (any line ending, UTF-8); a missing or unreadable file is a
// problem naming it.
BoardRead ReadBoardFile(const std::filesystem::path& file, core::ChipModel chip);

// The board files (*.json) of a workspace's boards folder, sorted by name.
std::vector<std::filesystem::path> ListBoardFiles(const std::filesystem::path& boardsFolder);

// Leaves off the components wired to pins the chip does not have, with one
// problem each. Used again when the chip changes under a loaded board.
void FitToChip(BoardWiring& wiring, core::ChipModel chip, std::vector<std::string>& problems);

}  // namespace zelo::board
