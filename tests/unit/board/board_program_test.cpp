// The example programs run with their preset boards, the user's inputs given
// between steps: what the board shows is what the program was written to show.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "asm/assembler_session.h"
#include "board/board.h"
#include "board/board_link.h"
#include "board/board_report.h"
#include "core/simulator.h"
#include "loader/load_program.h"

namespace fs = std::filesystem;

namespace zelo::board {
namespace {

class BoardProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_board_" + std::to_string(rd()));
        fs::copy(fs::path(ZELO_SOURCE_DIR) / "examples", m_dir, fs::copy_options::recursive);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    void Start(const std::string& program, const std::string& boardFile,
               core::ChipModel chip = core::ChipModel::C8051)
    {
        assembler::AssemblerSession session(m_dir, chip);
        ASSERT_TRUE(session.LoadAsmFile(program));
        session.AsmAll();
        ASSERT_TRUE(session.Succeeded()) << "problem in line " << session.FirstProblemSourceLine();
        m_sim = std::make_unique<core::Simulator>(chip);
        loader::HexLoaderState state;
        const auto loaded = loader::LoadProgram(*m_sim, m_dir, {false, program + ".hex"}, state);
        ASSERT_TRUE(loaded.hex.Ok());
        m_sim->SetDisplayFlag(false);
        BoardRead read = ReadBoardFile(m_dir / "boards" / (boardFile + ".json"), chip);
        ASSERT_TRUE(read.Ok()) << read.problems.front();
        m_board = Board(std::move(read.wiring));
        m_link.Reset();
        m_link.AfterStep(*m_sim, m_board, &m_terminal, false);
    }

    // Runs until the cycle counter reaches `cycles` (or a stop).
    void RunUntil(uint64_t cycles)
    {
        while (m_sim->CycleCounter() < cycles) {
            const auto report = m_sim->ExecuteStep();
            m_link.AfterStep(*m_sim, m_board, &m_terminal, report.executed);
            ASSERT_EQ(report.stopReason, core::StopReason::None)
                << m_sim->Cpu().simulationLog.Text();
        }
    }
    void RunFor(double milliseconds)
    {
        RunUntil(m_sim->CycleCounter() +
                 static_cast<uint64_t>(milliseconds * kCyclesPerSecond / 1000));
    }
    std::string Digits() const { return m_board.Digits()->Text(m_board.Now()); }

    fs::path m_dir;
    std::unique_ptr<core::Simulator> m_sim;
    Board m_board;
    BoardLink m_link;
    SerialTerminal m_terminal;
};

TEST_F(BoardProgram, StopwatchCountsHundredthsOnSteadyDigits)
{
    Start("stopwatch", "digits_and_keypad");
    for (int tenth = 1; tenth <= 5; ++tenth) {
        RunUntil(static_cast<uint64_t>((tenth * 0.1 + 0.005) * kCyclesPerSecond));
        // The display lags the count by at most one scan (under 2 ms).
        const std::string expected = "00." + std::to_string(tenth) + "0";
        EXPECT_EQ(Digits(), expected);
        for (int d = 0; d < 4; ++d)
            EXPECT_FALSE(m_board.Digits()->Flickering(d, m_board.Now())) << d;
    }
}

TEST_F(BoardProgram, LcdHelloWaitsOnTheBusyFlagAndWritesBothLines)
{
    Start("lcd_hello", "lcd");
    RunFor(30);
    const Hd44780& lcd = *m_board.Lcd();
    EXPECT_EQ(lcd.Lines()[0], "Hello           ");
    EXPECT_EQ(lcd.Lines()[1], "8051 LCD        ");
    EXPECT_TRUE(lcd.Problems().empty()) << lcd.Problems().front();
    EXPECT_EQ(m_sim->PullDowns(core::PullSource::Board), kNoPulls)
        << "the data lines are released after each busy read";
}

TEST_F(BoardProgram, KeypadKeysScrollOntoTheDigits)
{
    Start("keypad_digits", "digits_and_keypad");
    RunFor(10);
    EXPECT_EQ(Digits(), "    ");
    const struct
    {
        int row, column;
        const char* shown;
    } keys[] = {{0, 1, "   2"}, {3, 1, "  20"}, {1, 3, " 20b"}, {2, 2, "20b9"}};
    for (const auto& key : keys) {
        m_board.SetKey(key.row, key.column, true);
        RunFor(10);
        m_board.SetKey(key.row, key.column, false);
        RunFor(10);
        EXPECT_EQ(Digits(), key.shown);
    }
}

TEST_F(BoardProgram, ButtonsReachThePinsAndInt0)
{
    Start("buttons_int0", "leds_and_switches");
    RunFor(1);
    EXPECT_FALSE(m_board.LedLit(7));
    m_board.SetButton(1, true);  // P3.3, polled
    RunFor(1);
    EXPECT_TRUE(m_board.LedLit(7));
    EXPECT_EQ(m_sim->PinLevels()[3], 0xF7);
    EXPECT_EQ(m_sim->Latches()[3], 0xFF) << "the latch stays as the program wrote it";
    m_board.SetButton(1, false);
    RunFor(1);
    EXPECT_FALSE(m_board.LedLit(7));
    EXPECT_EQ(m_sim->PinLevels()[3], 0xFF);

    // Two presses of the button on P3.2: two falling edges of INT0.
    for (int press = 0; press < 2; ++press) {
        m_board.SetButton(0, true);
        RunFor(2);
        m_board.SetButton(0, false);
        RunFor(2);
    }
    EXPECT_EQ(m_sim->Cpu().PeekRamByteText(0x30), "02");
    EXPECT_FALSE(m_board.LedLit(0));
    EXPECT_TRUE(m_board.LedLit(1));
}

TEST_F(BoardProgram, TerminalBytesAreEchoed)
{
    Start("serial_echo", "lcd");
    EXPECT_EQ(m_terminal.Send("ok", false), "");
    RunFor(20);
    EXPECT_EQ(m_terminal.Text(), "ok\n");
    EXPECT_EQ(m_terminal.Hex(), "6F 6B 0D 0A\n");
    EXPECT_EQ(m_terminal.ProgramBaud(), 9600.0);
    EXPECT_EQ(m_terminal.BaudWarning(), "");
}

TEST_F(BoardProgram, TheBoardPullsPinsNotLatches)
{
    // The keypad joins row 0 (driven low) to column 1: P1.5 reads low while
    // the program's latch keeps its 1.
    Start("keypad_digits", "digits_and_keypad");
    m_board.SetKey(0, 1, true);
    m_sim->Cpu().WriteRamByte(0xFE, core::sfr::P1);
    m_link.AfterStep(*m_sim, m_board, &m_terminal, false);
    EXPECT_EQ(m_sim->Latches()[1], 0xFE);
    EXPECT_EQ(m_sim->PinLevels()[1], 0xDE);
    m_board.SetKey(0, 1, false);
    m_link.AfterStep(*m_sim, m_board, &m_terminal, false);
    EXPECT_EQ(m_sim->PinLevels()[1], 0xFE);
}

TEST(BoardLinkLatches, EveryCellButAZeroReadsHigh)
{
    core::CpuState cpu;
    const char* cells[4] = {"01x-1010", "00000000", "11111111", "x0-01110"};  // bit 0 first
    const uint8_t expected[4] = {0b01011110, 0x00, 0xFF, 0b01110101};
    for (int p = 0; p < 4; ++p)
        for (int k = 0; k < 8; ++k)
            cpu.internal[static_cast<size_t>(0x80 + 0x10 * p)][static_cast<size_t>(k)] =
                cells[p][k];
    const PortBytes latches = ReadPortLatches(cpu);
    for (int p = 0; p < 4; ++p) EXPECT_EQ(latches[static_cast<size_t>(p)], expected[p]) << p;
}

}  // namespace
}  // namespace zelo::board
