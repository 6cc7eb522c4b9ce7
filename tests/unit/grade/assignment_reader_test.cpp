// Assignment files: what a valid file becomes, and one field-level message
// per kind of mistake a teacher makes.
#include "grade/assignment_reader.h"

#include <gtest/gtest.h>

#include <string>

using zelo::grade::ParseAssignment;

namespace {

const char* const kValid = R"(
title = "t"
chip = "8052"
max_cycles = 500
stop_at = "done"
[[case]]
name = "a"
points = 3
[case.init]
iram = { R7 = 2, "30H" = [1, 2], ACC = 0x10, CY = true }
xram = { "0x100" = "AB" }
[case.expect]
iram = { "P1.0" = 1, "20H.3" = 0 }
pins = { P1 = 0xFE }
uart_out = { pattern = "OK.*" }
reaches = 0x40
within_cycles = 100
)";

TEST(AssignmentReader, ValidFileGivesCasesWithResolvedLocations)
{
    const auto read = ParseAssignment(kValid, "a.toml", ".");
    ASSERT_TRUE(read.assignment) << (read.problems.empty() ? "" : read.problems[0]);
    const auto& a = *read.assignment;
    EXPECT_EQ(a.chip, zelo::core::ChipModel::C8052);
    ASSERT_EQ(a.cases.size(), 1u);
    const auto& c = a.cases[0];
    EXPECT_EQ(c.maxCycles, 500u);
    EXPECT_EQ(c.stopAt->label, "DONE");
    EXPECT_EQ(*c.expect.reaches->address, 0x40);
    // R7, two bytes from 30H, ACC, the carry bit; "AB" as two external bytes.
    ASSERT_EQ(c.initIram.size(), 5u);
    EXPECT_EQ(c.initIram[0].where.reg, 7);
    EXPECT_EQ(c.initIram[2].where.address, 0x31u);
    EXPECT_EQ(c.initIram[3].where.address, 0xE0u);
    EXPECT_EQ(c.initIram[4].where.address, 0xD0u);
    EXPECT_EQ(c.initIram[4].where.bit, 7);
    ASSERT_EQ(c.initXram.size(), 2u);
    EXPECT_EQ(c.initXram[1].where.address, 0x101u);
    EXPECT_EQ(c.initXram[1].value, unsigned('B'));
    EXPECT_EQ(c.expect.iram[0].where.address, 0x90u);
    EXPECT_EQ(c.expect.iram[0].where.bit, 0);
    EXPECT_EQ(c.expect.pins[0].pins[0].value, 0xFEu);
    EXPECT_TRUE(c.expect.uartOut->isPattern);
}

struct Malformed
{
    const char* text;
    const char* message;  // part of the one expected problem
};

#define BOARD_CASE(file) \
    "[[case]]\nname=\"a\"\npoints=1\nboard=\"" ZELO_SOURCE_DIR "/examples/boards/" file "\"\n"

const Malformed kMalformed[] = {
    {"chip = \"8086\"\n[[case]]\nname=\"a\"\npoints=1\nexpect={no_error=true}",
     "a.toml:1:8: chip: unknown chip \"8086\""},
    {"[[case]]\nname=\"a\"\npionts=1\nexpect={no_error=true}", "case[1].pionts: unknown field"},
    {"[[case]]\nname=\"a\"\nexpect={no_error=true}", "case[1].points: missing"},
    {"[[case]]\nname=\"a\"\npoints=-2\nexpect={no_error=true}",
     "a.toml:3:8: case[1].points: must be a whole number"},
    {"[[case]]\nname=\"a\"\npoints=1\n[case.expect]\niram={\"3GH\"=1}",
     "case[1].expect.iram.3GH: \"3GH\" names no internal"},
    {"[[case]]\nname=\"a\"\npoints=1\n[case.expect]\niram={\"30H\"=256}",
     "case[1].expect.iram.30H: a byte takes 0-255"},
    {"[[case]]\nname=\"a\"\npoints=1\n[case.expect]\niram={CY=2}",
     "case[1].expect.iram.CY: a bit takes 0, 1"},
    {"[[case]]\nname=\"a\"\npoints=1\n[case.init]\nxram={\"0FFFFH\"=[1,2]}\n[case.expect]\nno_"
     "error=true",
     "case[1].init.xram.0FFFFH: the bytes run past the end"},
    {"[[case]]\nname=\"a\"\npoints=1\n[case.expect]\nwithin_cycles=9",
     "case[1].expect.within_cycles: needs reaches"},
    {"[[case]]\nname=\"a\"\npoints=1\n[case.expect]\nuart_out={pattern=\"(\"}",
     "case[1].expect.uart_out.pattern: not a valid pattern"},
    {"[[case]]\nname=\"a\"\npoints=1\ninput=\"missing.txt\"\nexpect={no_error=true}",
     "case[1].input: file not found"},
    {"[[case]]\nname=\"a\"\npoints=1\n[case.expect]\npins={\"P9.0\"=1}",
     "case[1].expect.pins.P9.0: \"P9.0\" is no pin"},
    {"chip=\"89Cx051\"\n[[case]]\nname=\"a\"\npoints=1\n[case.expect]\npins={\"P0.0\"=1}",
     "the 89Cx051 has no port P0"},
    {"[[case]]\nname=\"a\"\npoints=1\n[case.expect]\nreaches=\"TWO WORDS\"",
     "case[1].expect.reaches: must be a label"},
    {"[[case]]\nname=\"a\"\npoints=1\n[case.expect]\nboard={leds=\"1\"}",
     "case[1].expect.board: needs the case's board"},
    {BOARD_CASE("lcd.json") "[case.expect]\nboard={lamps=1}",
     "case[1].expect.board.lamps: unknown field"},
    {BOARD_CASE("lcd.json") "[case.expect]\nboard={leds=\"1\"}",
     "case[1].expect.board.leds: the board has no LEDs"},
    {BOARD_CASE("leds_and_switches.json") "[case.expect]\nboard={leds=\"1\"}",
     "case[1].expect.board.leds: must be 8 characters 0 or 1"},
    {BOARD_CASE("lcd.json") "[case.expect]\nboard={lcd=[\"a\",\"b\",\"c\"]}",
     "case[1].expect.board.lcd: must be a text"},
    {BOARD_CASE("lcd.json") "[case.expect]\nboard={lcd=\"0123456789ABCDEFG\"}",
     "at most 16 characters"},
    {BOARD_CASE("digits_and_keypad.json") "[[case.expect.board]]\nat_cycle=5\ndigits=\"1.2\"",
     "case[1].expect.board[1].digits: must be 4 characters"},
    {BOARD_CASE("digits_and_keypad.json") "[case.expect]\nboard={at_cycle=5}",
     "case[1].expect.board: names nothing the board shows"},
    {"chip=\"89Cx051\"\n" BOARD_CASE("digits_and_keypad.json") "expect={no_error=true}",
     "case[1].board: digits_and_keypad.json: \"digits\": the 89Cx051 has no pin P0.0"},
    {"[[case]]\nname=\"a\"\npoints=1\nexpect={}", "case[1].expect: names no expectation"},
    {"title = \"x\"", "case: the assignment needs at least one [[case]]"},
    {"[[case]]\nname=\"a\"\npoints=1\n[case.expect]\nidata={\"90H\"=1}",
     "case[1].expect.idata.90H: the 8051 has no indirectly addressed RAM 80H-FFH"},
    {"[[case]]\nname=\"a\"\npoints=1\nexpect={no_error=true}\n[[case]]\nname=\"a\"\npoints="
     "1\nexpect={no_error=true}",
     "case[2].name: another case has the same name"},
    {"[[case]\nname=1", "a.toml:1:"},
};

TEST(AssignmentReader, EachMistakeIsReportedWithItsField)
{
    for (const Malformed& m : kMalformed) {
        const auto read = ParseAssignment(m.text, "a.toml", ".");
        EXPECT_FALSE(read.assignment) << m.text;
        std::string all;
        for (const std::string& p : read.problems) all += p + "\n";
        EXPECT_NE(all.find(m.message), std::string::npos) << all;
    }
}

TEST(AssignmentReader, AllProblemsOfAFileAreCollected)
{
    const auto read =
        ParseAssignment("chip=1\n[[case]]\npoints=\"x\"\nexpect={bogus=1}", "a.toml", ".");
    std::string all;
    for (const std::string& p : read.problems) all += p + "\n";
    for (const char* field :
         {": chip:", "case[1].name:", "case[1].points:", "case[1].expect.bogus:"})
        EXPECT_NE(all.find(field), std::string::npos) << field << "\n" << all;
}

}  // namespace
