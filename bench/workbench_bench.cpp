// The workbench model driven the way Timer1 drives it: undisplayed runs in
// time-bounded batches per tick, and displayed runs with one step and a full
// redraw of the state picture per tick.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "app/workbench.h"

namespace {

namespace fs = std::filesystem;

// A program that never stops: arithmetic, moves, a call and a loop.
constexpr const char* kProgram =
    "        ORG 0\r\n"
    "        MOV SP,#60H\r\n"
    "LOOP:   INC A\r\n"
    "        MOV R0,A\r\n"
    "        ADD A,#3\r\n"
    "        MOV 30H,A\r\n"
    "        ACALL SUB\r\n"
    "        DJNZ R7,LOOP\r\n"
    "        SJMP LOOP\r\n"
    "SUB:    CPL P1.0\r\n"
    "        RET\r\n"
    "        END\r\n";

struct BenchWorkspace {
    fs::path folder;
    BenchWorkspace()
    {
        folder = fs::temp_directory_path() / "zelo_workbench_bench";
        fs::remove_all(folder);
        fs::create_directories(folder / "8051.LIB");
        std::ofstream(folder / "loop.asm", std::ios::binary) << kProgram;
    }
    ~BenchWorkspace() { fs::remove_all(folder); }
};

std::unique_ptr<zelo::app::Workbench> ReadyToRun(const fs::path& folder, const std::string& stopStep)
{
    auto wb = std::make_unique<zelo::app::Workbench>(folder);
    wb->StartUp();
    wb->AsmOpneFile();
    wb->ClickFile("loop.asm");
    wb->AsmAll();
    wb->SwitchMode(1);
    wb->SetTextStop(stopStep);
    wb->ClickRun();
    return wb;
}

// Undisplayed: the stop step lies far ahead, so every tick runs batches for
// its time budget. Items per second = simulated steps per second.
void BM_UndisplayedRunTicks(benchmark::State& state)
{
    BenchWorkspace ws;
    auto wb = ReadyToRun(ws.folder, "2000000000");
    int64_t steps = 0;
    for (auto _ : state) {
        steps += wb->Timer1Tick();
        if (!wb->RunningFlag()) state.SkipWithError("the run stopped");
    }
    state.SetItemsProcessed(steps);
}
BENCHMARK(BM_UndisplayedRunTicks)->Unit(benchmark::kMillisecond)->UseRealTime();

// Displayed: no stop step, so each tick executes one step and redraws the
// counters, traces and the whole state picture.
void BM_DisplayedRunTicks(benchmark::State& state)
{
    BenchWorkspace ws;
    auto wb = ReadyToRun(ws.folder, "0");
    int64_t steps = 0;
    for (auto _ : state) {
        steps += wb->Timer1Tick();
        benchmark::DoNotOptimize(wb->Picture().Drawing().texts.size());
    }
    state.SetItemsProcessed(steps);
}
BENCHMARK(BM_DisplayedRunTicks)->Unit(benchmark::kMicrosecond);

}  // namespace
