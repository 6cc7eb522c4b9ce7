// Board files: what a good file wires, and a message naming the fault for
// each kind of bad one.
#include "board/board_wiring.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zelo::board {
namespace {

using core::ChipModel;

TEST(BoardFile, WiringIsReadAsWritten)
{
    const BoardRead read = ParseBoard(R"({
        "name": "Lab",
        "leds": {"pins": "P1", "lit": "high"},
        "buttons": {"pins": ["P3.2", "p3.3"]},
        "digits": {"segments": "P0", "select": ["P2.0", "P2.1", "P2.2"], "decoder": true, "count": 8,
                   "common": "cathode", "persistenceMs": 5},
        "keypad": {"rows": ["P1.0", "P1.1", "P1.2", "P1.3"], "columns": ["P1.4", "P1.5", "P1.6", "P1.7"]},
        "lcd": {"data": ["P2.4", "P2.5", "P2.6", "P2.7"], "rs": "P3.0", "e": "P3.1"},
        "buzzer": {"pin": "P3.7"}})",
                                      ChipModel::C8051);
    ASSERT_TRUE(read.Ok()) << read.problems.front();
    const BoardWiring& s = read.wiring;
    EXPECT_EQ(s.name, "Lab");
    ASSERT_TRUE(s.leds);
    EXPECT_EQ(s.leds->pins.size(), 8u);
    EXPECT_EQ(s.leds->pins[7], (PinRef{1, 7}));
    EXPECT_FALSE(s.leds->litWhenLow);
    EXPECT_EQ(s.buttons->pins[1], (PinRef{3, 3}));
    EXPECT_TRUE(s.digits->decoder);
    EXPECT_EQ(s.digits->count, 8);
    EXPECT_FALSE(s.digits->commonAnode);
    EXPECT_EQ(s.digits->segments[7], (PinRef{0, 7}));
    EXPECT_EQ(s.keypad->columns[0], (PinRef{1, 4}));
    EXPECT_EQ(s.keypad->labels, "123A456B789C*0#D");
    EXPECT_EQ(s.lcd->data.size(), 4u);
    EXPECT_FALSE(s.lcd->rw);
    EXPECT_EQ(s.buzzer->pin, (PinRef{3, 7}));
}

TEST(BoardFile, FaultsAreNamed)
{
    struct Case
    {
        const char* json;
        const char* problem;
    };
    const Case cases[] = {
        {"{\"leds\": {\"pins\": \"P1\"},\n \"buttons\": }", "not valid JSON at line 2, column 13"},
        {"[1, 2]", "a board must be one JSON object of components"},
        {R"({"motor": {"pin": "P1.0"}})", "unknown component \"motor\""},
        {R"({"leds": "P1"})", "\"leds\": the wiring must be a JSON object"},
        {R"({"leds": {"pins": "P4"}})", "\"leds\": \"P4\" is not a port (P0 to P3) in \"pins\""},
        {R"({"leds": {"pins": ["P1.8"]}})", "\"leds\": \"P1.8\" is not a pin name (P0.0 to P3.7)"},
        {R"({"leds": {"pins": "P1", "lit": "dim"}})",
         "\"leds\": \"lit\" must be \"low\" or \"high\""},
        {R"({"switches": {"pins": ["P1.0", "P1.0"]}})", "\"switches\": P1.0 is wired twice"},
        {R"({"buttons": {}})", "\"buttons\": \"pins\" is missing"},
        {R"({"digits": {"segments": "P0", "select": ["P2.0", "P2.1"]}})",
         "\"digits\": \"select\" has 2 pins; it needs 4 or 8"},
        {R"({"digits": {"segments": "P0", "select": ["P2.0", "P2.1", "P2.2"], "decoder": true, "count": 6}})",
         "\"digits\": \"count\" must be 4 or 8"},
        {R"({"keypad": {"rows": "P1", "columns": ["P2.0", "P2.1", "P2.2", "P2.3"]}})",
         "\"keypad\": \"rows\" has 8 pins; it needs 4"},
        {R"({"lcd": {"data": "P1", "rs": "P3.4", "e": "P1.2"}})", "\"lcd\": P1.2 is wired twice"},
        {R"({"lcd": {"data": "P1", "rs": "P3.4"}})", "\"lcd\": \"e\" is missing"},
        {R"({"buzzer": {"pin": 7}})", "\"buzzer\": \"pin\" must be a pin name such as \"P1.0\""},
    };
    for (const Case& c : cases) {
        const BoardRead read = ParseBoard(c.json, ChipModel::C8051);
        ASSERT_FALSE(read.Ok()) << c.json;
        EXPECT_EQ(read.problems.front(), c.problem) << c.json;
        EXPECT_TRUE(read.wiring.Empty()) << "a faulty board is not used: " << c.json;
    }
}

TEST(BoardFile, TheSmallChipLeavesOffWhatItCannotReach)
{
    const char* json =
        R"({"leds": {"pins": "P1"}, "switches": {"pins": "P2"}, "buzzer": {"pin": "P3.6"}})";
    const BoardRead big = ParseBoard(json, ChipModel::C8052);
    EXPECT_TRUE(big.Ok());
    const BoardRead small = ParseBoard(json, ChipModel::C89Cx051);
    ASSERT_EQ(small.problems.size(), 2u);
    EXPECT_EQ(small.problems[0], "\"switches\": the 89Cx051 has no pin P2.0; left off the board");
    EXPECT_EQ(small.problems[1], "\"buzzer\": the 89Cx051 has no pin P3.6; left off the board");
    EXPECT_TRUE(small.wiring.leds);
    EXPECT_FALSE(small.wiring.switches);
    EXPECT_FALSE(small.wiring.buzzer);
}

TEST(BoardFile, ShippedPresetsReadCleanlyOnTheChipsTheyFit)
{
    const std::filesystem::path boards =
        std::filesystem::path(ZELO_SOURCE_DIR) / "examples" / "boards";
    const auto files = ListBoardFiles(boards);
    ASSERT_EQ(files.size(), 3u);
    for (const auto& file : files) {
        const BoardRead read = ReadBoardFile(file, ChipModel::C8051);
        EXPECT_TRUE(read.Ok()) << file << ": "
                               << (read.problems.empty() ? "" : read.problems.front());
    }
    EXPECT_EQ(ReadBoardFile(boards / "lcd.json", ChipModel::C8051).wiring.name, "LCD");
    EXPECT_TRUE(ReadBoardFile(boards / "lcd.json", ChipModel::C89Cx051).Ok());
    const BoardRead missing = ReadBoardFile(boards / "none.json", ChipModel::C8051);
    EXPECT_EQ(missing.problems.front(), "none.json cannot be read");
}

}  // namespace
}  // namespace zelo::board
