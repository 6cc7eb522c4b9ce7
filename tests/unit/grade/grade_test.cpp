// Grading whole programs: what each kind of expectation sees after a run,
// that input scripts and boards drive the run, and that the worker count
// changes nothing in the reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "grade/assignment_reader.h"
#include "grade/grade_report.h"
#include "grade/grader.h"

namespace fs = std::filesystem;
using namespace zelo::grade;

namespace {

class GradeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_grade_" + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    SubmissionFile Write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_dir / name, std::ios::binary) << text;
        return {name, m_dir / name, {}};
    }
    Assignment Read(const std::string& text)
    {
        const auto read = ParseAssignment(text, "t.toml", m_dir);
        EXPECT_TRUE(read.assignment) << (read.problems.empty() ? "" : read.problems[0]);
        return read.assignment.value_or(Assignment{});
    }
    SubmissionResult Grade(const std::string& assignment, const SubmissionFile& file)
    {
        return GradeSubmission(Read(assignment), file, m_dir);
    }
    fs::path m_dir;
};

// Sends "HI" and ends at DONE.
const char* const kSender =
    "        MOV SCON,#40H\n        MOV A,#'H'\n        MOV SBUF,A\n        MOV SBUF,#'I'\n"
    "        MOV P1,#0F0H\nDONE:   SJMP DONE\n        END\n";

TEST_F(GradeTest, TransmitStreamIsComparedExactlyOrByPattern)
{
    const auto file = Write("send.asm", kSender);
    const auto r = Grade(R"(stop_at = "DONE"
[[case]]
name = "exact"
points = 1
expect = { uart_out = "HI" }
[[case]]
name = "pattern"
points = 1
expect = { uart_out = { pattern = "H[A-Z]" } }
[[case]]
name = "wrong"
points = 1
expect = { uart_out = "HI\n" }
)",
                         file);
    ASSERT_TRUE(r.assembled) << r.assemblerReport;
    EXPECT_TRUE(r.cases[0].passed);
    EXPECT_TRUE(r.cases[1].passed);
    EXPECT_FALSE(r.cases[2].passed);
    EXPECT_EQ(r.cases[2].checks[0].expected, "HI\\n");
    EXPECT_EQ(r.cases[2].checks[0].actual, "HI");
    EXPECT_EQ(r.points, 2);
    // Assembled in memory: nothing is written beside the source or into the workspace.
    EXPECT_FALSE(fs::exists(m_dir / "send.lst"));
    EXPECT_FALSE(fs::exists(m_dir / "send.hex"));
    EXPECT_FALSE(fs::exists(m_dir / "Scode8051.txt"));
}

TEST_F(GradeTest, EndlessTransmitIsCutAndFailsInsteadOfExhaustingTheMatcher)
{
    const auto file = Write("flood.asm", "L: MOV SBUF,#'A'\n SJMP L\n END\n");
    const auto r = Grade(R"([[case]]
name = "flood"
points = 1
max_cycles = 100000
expect = { uart_out = { pattern = "A*" } }
)",
                         file);
    EXPECT_FALSE(r.cases[0].passed);
    EXPECT_NE(r.cases[0].checks[0].actual.find("(25000 bytes sent; at most 4096 are checked)"),
              std::string::npos)
        << r.cases[0].checks[0].actual.substr(r.cases[0].checks[0].actual.size() - 60);
}

TEST_F(GradeTest, PinsAreTheLevelsAtTheEndOfTheRun)
{
    const auto file = Write("send.asm", kSender);
    // The latch of P1.5 is 1, but the script pulls the pin low.
    Write("pull.in", "@0 P1.5=0\n");
    const auto r = Grade(R"(stop_at = "DONE"
[[case]]
name = "p"
points = 1
input = "pull.in"
expect = { pins = { P1 = 0xD0, "P1.4" = 1, "P1.0" = 1 } }
[[case]]
name = "after the end"
points = 1
[[case.expect.pins]]
at_cycle = 1
"P1.0" = 1
[[case.expect.pins]]
at_cycle = 1000
"P1.0" = 0
)",
                         file);
    ASSERT_EQ(r.cases[0].checks.size(), 3u);
    for (const CheckResult& c : r.cases[0].checks)
        EXPECT_EQ(c.status == CheckStatus::Pass, c.what != "pins P1.0")
            << c.what << " " << c.actual;
    EXPECT_FALSE(r.cases[0].passed);
    // A sample the run never reached fails; it is not taken from the final state.
    ASSERT_EQ(r.cases[1].checks.size(), 2u);
    EXPECT_EQ(r.cases[1].checks[0].status, CheckStatus::Pass);
    EXPECT_EQ(r.cases[1].checks[1].what, "pins P1.0 at cycle 1000");
    EXPECT_EQ(r.cases[1].checks[1].actual.rfind("run ended at cycle ", 0), 0u);
    EXPECT_FALSE(r.cases[1].passed);
}

TEST_F(GradeTest, InputScriptEndsTheRun)
{
    const auto file = Write("send.asm", kSender);
    Write("keys.txt", "@5 end\n");
    const auto r = Grade(R"([[case]]
name = "with input"
points = 1
input = "keys.txt"
expect = { no_error = true, reaches = "DONE" }
)",
                         file);
    // The script's end stops the run before DONE, at the first instruction
    // boundary at or after cycle 5 (2+1+1+2): not an error, not arrived.
    EXPECT_EQ(r.cases[0].stop, RunStop::InputDone);
    EXPECT_EQ(r.cases[0].checks[0].actual, "not reached (input-done at cycle 6)");
    EXPECT_EQ(r.cases[0].checks[1].status, CheckStatus::Pass);
    EXPECT_EQ(r.points, 0);
}

TEST_F(GradeTest, BadInputScriptOrBoardIsAnAssignmentProblemNamingItsLine)
{
    Write("keys.txt", "@0 P3.2=0\n@1ms jump\n");
    Write("bad.json", "{\n  \"leds\": {\"pins\": \"P1\",}\n}\n");
    Write("bare.json", "{\"name\": \"bare\"}");
    const auto read = ParseAssignment(
        "[[case]]\nname=\"a\"\npoints=1\ninput=\"keys.txt\"\n"
        "board=\"bad.json\"\nexpect={no_error=true}\n"
        "[[case]]\nname=\"b\"\npoints=1\nboard=\"bare.json\"\nexpect={board={leds=\"1\"}}",
        "t.toml", m_dir);
    EXPECT_FALSE(read.assignment);
    ASSERT_EQ(read.problems.size(), 3u);
    // A board with nothing on it is read, but shows no LEDs to expect.
    EXPECT_NE(read.problems[2].find("case[2].expect.board.leds: the board has no LEDs"),
              std::string::npos)
        << read.problems[2];
    EXPECT_EQ(read.problems[0].rfind("t.toml:4:7: case[1].input: keys.txt: line 2: ", 0), 0u)
        << read.problems[0];
    EXPECT_EQ(
        read.problems[1].rfind("t.toml:5:7: case[1].board: bad.json: not valid JSON at line 2", 0),
        0u)
        << read.problems[1];
}

// The board is joined to the pins for the whole run: an input script and the
// program drive it, what it pulls low reaches the program, and what it shows
// is compared at the end and at sampled cycles.
TEST_F(GradeTest, BoardShowsLedsDigitsAndLcdText)
{
    const std::string boards = std::string(ZELO_SOURCE_DIR) + "/examples/boards/";
    // LED 0 on, then LED 1 too once the script pulls P3.2 low.
    const auto leds =
        Write("leds.asm", " MOV P1,#0FEH\n JB P3.2,$\n MOV P1,#0FCH\nDONE: SJMP DONE\n END\n");
    Write("press.in", "@1000 P3.2=0\n");
    const auto l = Grade(R"(stop_at = "DONE"
[[case]]
name = "c"
points = 1
board = ")" + boards + R"(leds_and_switches.json"
input = "press.in"
[[case.expect.board]]
leds = "11000000"
[[case.expect.board]]
at_cycle = 500
leds = "10000000"
[[case.expect.board]]
at_cycle = 900000
leds = "11000000"
)",
                         leds);
    ASSERT_TRUE(l.assembled) << l.assemblerReport;
    const auto& checks = l.cases[0].checks;
    ASSERT_EQ(checks.size(), 3u);
    EXPECT_EQ(checks[0].status, CheckStatus::Pass) << checks[0].actual;
    EXPECT_EQ(checks[1].status, CheckStatus::Pass) << checks[1].actual;
    // A sample the run never reached fails; it is not taken from the final state.
    EXPECT_EQ(checks[2].what, "board leds at cycle 900000");
    EXPECT_EQ(checks[2].actual.rfind("run ended at cycle ", 0), 0u);
    EXPECT_FALSE(l.cases[0].passed);

    // Digit 0 shows "1": segments b and c low on P0, digit 0 selected by P2.0 low.
    const auto digit = Write("digit.asm", " MOV P0,#0F9H\n MOV P2,#0FEH\nDONE: SJMP DONE\n END\n");
    const auto d = Grade(R"(stop_at = "DONE"
[[case]]
name = "two"
points = 1
board = ")" + boards + R"(digits_and_keypad.json"
expect = { board = { digits = "2   " } }
)",
                         digit);
    EXPECT_EQ(d.cases[0].checks[0].actual, "1   ");
    EXPECT_FALSE(d.cases[0].passed);

    // The LCD is busy for 10 ms after power-on; the example waits on its busy
    // flag, which only the board's pull on P1.7 can clear.
    const SubmissionFile lcd{
        "lcd_hello.asm", fs::path(ZELO_SOURCE_DIR) / "examples/lcd_hello.asm", {}};
    const auto t = Grade(R"(stop_at = "DONE"
max_cycles = 100000
[[case]]
name = "both lines"
points = 1
board = ")" + boards + R"(lcd.json"
expect = { board = { lcd = ["Hello", "8051 LCD"] }, no_error = true }
[[case]]
name = "first line"
points = 1
board = ")" + boards + R"(lcd.json"
expect = { board = { lcd = "Hello!" } }
)",
                         lcd);
    ASSERT_TRUE(t.assembled) << t.assemblerReport;
    EXPECT_EQ(t.cases[0].stop, RunStop::Target);
    EXPECT_GT(t.cases[0].cycles, 9216u);  // it waited out the power-on time
    EXPECT_TRUE(t.cases[0].passed)
        << t.cases[0].checks[0].actual << "|" << t.cases[0].checks[1].actual;
    EXPECT_EQ(t.cases[1].checks[0].what, "board lcd line 1");
    EXPECT_EQ(t.cases[1].checks[0].actual, "Hello");
    EXPECT_FALSE(t.cases[1].passed);
}

TEST_F(GradeTest, RunLimitsAndErrorStops)
{
    const auto loop = Write("loop.asm", "HERE: SJMP HERE\nDONE: NOP\n END\n");
    const auto r = Grade(R"(max_steps = 50
[[case]]
name = "c"
points = 1
expect = { reaches = "DONE", cycles_at_most = 1000000, no_error = true }
)",
                         loop);
    EXPECT_EQ(r.cases[0].stop, RunStop::StepLimit);
    EXPECT_EQ(r.cases[0].steps, 50u);
    // A run cut off by its limit did not finish, however few cycles it shows.
    EXPECT_EQ(r.cases[0].checks[1].what, "no error stop");
    EXPECT_EQ(r.cases[0].checks[1].status, CheckStatus::Pass);
    EXPECT_EQ(r.cases[0].checks[2].status, CheckStatus::Fail);

    const auto bad = Write("bad.asm", " MOV A,30H\n ADD A,#1\nDONE: SJMP DONE\n END\n");
    const auto e = Grade(R"([[case]]
name = "c"
points = 1
expect = { reaches = "DONE", no_error = true }
)",
                         bad);
    EXPECT_EQ(e.cases[0].stop, RunStop::UndefinedBit);
    EXPECT_EQ(e.cases[0].checks[1].status, CheckStatus::Fail);
}

TEST_F(GradeTest, UpperRamOfThe8052IsApartFromTheSfrs)
{
    const auto file = Write("upper.asm",
                            " MOV R0,#90H\n MOV @R0,#5AH\n MOV 90H,#0A5H\n MOV R1,#0A0H\n"
                            " MOV A,@R1\n MOV 31H,A\nDONE: SJMP DONE\n END\n");
    const auto r = Grade(R"(chip = "8052"
stop_at = "DONE"
[[case]]
name = "c"
points = 1
init = { idata = { "0A0H" = 7 } }
expect = { idata = { "90H" = 0x5A }, iram = { P1 = 0xA5, "31H" = 7 } }
)",
                         file);
    ASSERT_TRUE(r.assembled) << r.assemblerReport;
    EXPECT_TRUE(r.cases[0].passed) << r.cases[0].checks[0].actual;
}

TEST_F(GradeTest, HexSubmissionsHaveNoLabelsButAddressesWork)
{
    // 80 FE: SJMP $ at 0000H.
    const auto hex = Write("p.hex", ":0200000080FE80\r\n:00000001FF\r\n");
    const auto r = Grade(R"([[case]]
name = "label"
points = 1
expect = { reaches = "DONE" }
[[case]]
name = "address"
points = 1
expect = { reaches = 0 }
)",
                         hex);
    ASSERT_TRUE(r.assembled);
    EXPECT_EQ(r.cases[0].checks[0].actual, "the program has no label DONE");
    EXPECT_TRUE(r.cases[1].passed);
}

TEST_F(GradeTest, SerialAndParallelGradingGiveTheSameReports)
{
    const fs::path examples = fs::path(ZELO_SOURCE_DIR) / "examples";
    const auto read = ReadAssignmentFile(examples / "assignments/sum_copy/assignment.toml");
    ASSERT_TRUE(read.assignment);
    auto list = CollectSubmissions({examples / "assignments/sum_copy/submissions"});
    ASSERT_EQ(list.files.size(), 4u);
    std::vector<SubmissionFile> many;
    for (int k = 0; k < 6; ++k)
        for (const SubmissionFile& f : list.files)
            many.push_back({f.name + std::to_string(k), f.path, {}});
    const GradeReport serial = GradeAll(*read.assignment, many, examples, 1);
    const GradeReport parallel = GradeAll(*read.assignment, many, examples, 4);
    EXPECT_EQ(ReportJson(serial), ReportJson(parallel));
    EXPECT_EQ(ReportCsv(serial), ReportCsv(parallel));
    EXPECT_EQ(ReportTable(serial), ReportTable(parallel));
}

TEST_F(GradeTest, FoldersGiveTheirSourcesAndSkipTheirOutputs)
{
    Write("b.asm", "END\n");
    Write("b.hex", ":00000001FF\n");
    Write("a.hex", ":00000001FF\n");
    Write("notes.txt", "");
    // One folder per student: their one program, or 0 points with the reason.
    fs::create_directories(m_dir / "ann");
    fs::create_directories(m_dir / "bob");
    Write("ann/x.asm", "END\n");
    Write("ann/x.hex", ":00000001FF\n");
    Write("bob/one.asm", "END\n");
    Write("bob/two.asm", "END\n");
    const auto list = CollectSubmissions({m_dir, m_dir / "missing.asm"});
    ASSERT_EQ(list.files.size(), 4u);
    EXPECT_EQ(list.files[0].name, "a.hex");
    EXPECT_EQ(list.files[1].name, "b.asm");
    EXPECT_EQ(list.files[2].name, "ann/x.asm");
    EXPECT_EQ(list.files[3].name, "bob");
    EXPECT_EQ(list.files[3].problem, "the folder holds more than one program: one.asm two.asm");
    ASSERT_EQ(list.problems.size(), 1u);
}

}  // namespace
