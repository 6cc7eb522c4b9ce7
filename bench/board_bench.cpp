// The accessory board's cost per simulated step: an idle board (latches
// unchanged), a board whose digits are being scanned, and the stopwatch
// example stepped with and without its board, as a displayed or undisplayed
// run in the window steps it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "asm/assembler_session.h"
#include "board/board.h"
#include "board/board_link.h"
#include "core/simulator.h"
#include "loader/load_program.h"

namespace {

namespace fs = std::filesystem;
using zelo::board::Board;
using zelo::board::PortBytes;

Board PresetBoard(const char* file)
{
    const fs::path path = fs::path(ZELO_SOURCE_DIR) / "examples/boards" / file;
    return Board(zelo::board::ReadBoardFile(path, zelo::core::ChipModel::C8051).wiring);
}

void BM_BoardUpdateIdle(benchmark::State& state)
{
    Board board = PresetBoard("digits_and_keypad.json");
    const PortBytes latches{0xC0, 0xFF, 0xFE, 0xFF};
    uint64_t cycles = 0;
    for (auto _ : state) benchmark::DoNotOptimize(board.Update(latches, cycles += 2));
    state.SetItemsProcessed(state.iterations());
}

void BM_BoardUpdateScanning(benchmark::State& state)
{
    // Every update selects the next digit with new segments: the worst case.
    Board board = PresetBoard("digits_and_keypad.json");
    board.SetKey(1, 2, true);
    const PortBytes scan[4] = {{0xF9, 0xFE, 0xFE, 0xFF},
                               {0xA4, 0xFD, 0xFD, 0xFF},
                               {0xB0, 0xFB, 0xFB, 0xFF},
                               {0x99, 0xF7, 0xF7, 0xFF}};
    uint64_t cycles = 0;
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(board.Update(scan[k], cycles += 2));
        k = (k + 1) & 3;
    }
    state.SetItemsProcessed(state.iterations());
}

// The stopwatch example assembled into a temporary folder and loaded.
class Stopwatch
{
public:
    Stopwatch()
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_bench_board_" + std::to_string(rd()));
        fs::copy(fs::path(ZELO_SOURCE_DIR) / "examples", m_dir, fs::copy_options::recursive);
        zelo::assembler::AssemblerSession session(m_dir);
        session.LoadAsmFile("stopwatch");
        session.AsmAll();
        zelo::loader::HexLoaderState loader;
        m_ok = session.Succeeded() &&
               zelo::loader::LoadProgram(sim, m_dir, {false, "stopwatch.hex"}, loader).hex.Ok();
        sim.SetDisplayFlag(false);
    }
    ~Stopwatch()
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    bool Ok() const { return m_ok; }
    zelo::core::Simulator sim;

private:
    fs::path m_dir;
    bool m_ok = false;
};

void StepStopwatch(benchmark::State& state, bool withBoard)
{
    Stopwatch program;
    if (!program.Ok()) {
        state.SkipWithError("stopwatch.asm could not be assembled and loaded");
        return;
    }
    Board board = PresetBoard("digits_and_keypad.json");
    zelo::board::BoardLink link;
    zelo::board::SerialTerminal terminal;
    constexpr int kSteps = 100'000;
    for (auto _ : state) {
        for (int i = 0; i < kSteps; ++i) {
            const auto report = program.sim.ExecuteStep();
            if (withBoard) link.AfterStep(program.sim, board, &terminal, report.executed);
        }
    }
    state.SetItemsProcessed(state.iterations() * kSteps);
}

void BM_StopwatchSteps(benchmark::State& state)
{
    StepStopwatch(state, false);
}
void BM_StopwatchStepsWithBoard(benchmark::State& state)
{
    StepStopwatch(state, true);
}

}  // namespace

BENCHMARK(BM_BoardUpdateIdle);
BENCHMARK(BM_BoardUpdateScanning);
BENCHMARK(BM_StopwatchSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StopwatchStepsWithBoard)->Unit(benchmark::kMillisecond);
