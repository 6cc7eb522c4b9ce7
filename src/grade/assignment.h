// An assignment as the grader uses it: the chip, the run limits and the
// cases, each with its starting values, its expectations and its points.
// Read from a TOML file by ReadAssignmentFile (assignment_reader.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "board/board_wiring.h"
#include "core/chip_model.h"
#include "core/input_script.h"
#include "grade/locations.h"

namespace zelo::grade {

inline constexpr uint64_t kDefaultMaxCycles = 1'000'000;

// A byte or bit and its value: a starting value or an expected one.
struct LocationValue
{
    Location where;
    unsigned value = 0;
};

// Where a run ends or must arrive: a label of the program or an address.
struct CodeTarget
{
    std::string label;                // upper-cased; empty when an address is given
    std::optional<uint16_t> address;  // set for a numeric target

    std::string Text() const;  // "DONE" or "0040H"
};

// The pins as they must be at one moment: at a cycle count, or at the end
// of the run. The pin levels are compared (latch AND NOT pulled from outside).
struct PinSample
{
    std::optional<uint64_t> atCycle;
    std::vector<LocationValue> pins;
};

// What the accessory board shows at one moment: at a cycle count, or at the
// end of the run. Only the parts given are compared.
struct BoardSample
{
    std::optional<uint64_t> atCycle;
    std::optional<std::string> leds;    // one '0'/'1' per LED, LED 0 first; 1 = lit
    std::optional<std::string> digits;  // the digits' characters, "." after a lit point
    std::vector<std::string> lcd;       // the LCD's first line, or both; trailing blanks ignored
};

struct UartExpectation
{
    bool isPattern = false;
    std::string text;                           // the exact stream or the pattern
    std::shared_ptr<const std::regex> pattern;  // compiled once; matched against the whole stream
};

struct Expectations
{
    std::vector<LocationValue> iram;
    std::vector<LocationValue> idata;  // 8052 upper RAM
    std::vector<LocationValue> xram;
    std::vector<PinSample> pins;
    std::optional<UartExpectation> uartOut;
    std::vector<BoardSample> board;
    std::optional<CodeTarget> reaches;  // the program must arrive here
    std::optional<uint64_t> withinCycles;
    bool noError = false;  // the run must not stop with an error
    std::optional<uint64_t> cyclesAtMost;

    bool Empty() const;
};

struct GradingCase
{
    std::string name;
    int points = 0;
    uint64_t maxCycles = kDefaultMaxCycles;
    uint64_t maxSteps = 0;             // 0: no step limit
    std::optional<CodeTarget> stopAt;  // the run ends when the program arrives here
    std::vector<LocationValue> initIram;
    std::vector<LocationValue> initIdata;
    std::vector<LocationValue> initXram;
    std::optional<std::filesystem::path> input;  // input script (pins, serial)
    std::vector<core::InputEvent> inputEvents;   // its events, read once
    std::optional<std::filesystem::path> board;  // accessory board
    board::BoardWiring boardWiring;              // its components, read once
    Expectations expect;
};

struct Assignment
{
    std::string title;
    core::ChipModel chip = core::ChipModel::C8051;
    std::vector<GradingCase> cases;

    int TotalPoints() const;
};

}  // namespace zelo::grade
