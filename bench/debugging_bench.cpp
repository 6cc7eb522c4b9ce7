// What debugging costs an undisplayed run: the same batches of the CPU-bound
// program plain, with breakpoints set (none of them reached), with a watch
// on a byte the program never writes, and with step-back recording on.
// Compare items_per_second with BM_RunBatchDebugging/plain.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "core/simulator.h"
#include "loader/load_program.h"

namespace {

enum Variant { kPlain, kBreakpoints, kWatch, kRecording, kEverything };

void BM_RunBatchDebugging(benchmark::State& state)
{
    const std::filesystem::path folder = std::filesystem::path(ZELO_SOURCE_DIR) / "bench/programs";
    zelo::core::Simulator sim;
    zelo::loader::HexLoaderState loader;
    if (!zelo::loader::LoadProgram(sim, folder, {false, "cpu_bound.hex"}, loader).hex.Ok()) {
        state.SkipWithError("cpu_bound.hex could not be loaded");
        return;
    }
    const auto variant = static_cast<Variant>(state.range(0));
    if (variant == kBreakpoints || variant == kEverything) {
        for (uint16_t a = 0x8000; a < 0x8400; a += 16) sim.Breakpoints().Set(a, true);
    }
    if (variant == kWatch || variant == kEverything)
        sim.AddWatch(*zelo::core::ParseWatch("7FH=55"));
    if (variant == kRecording || variant == kEverything) sim.SetRecording(true);
    int64_t steps = 0;
    for (auto _ : state) {
        sim.SetTextStop("2000000000");
        if (!sim.Running()) sim.ToggleRun();
        steps += sim.RunBatch(100'000).stepsExecuted;
    }
    if (!sim.Running()) state.SkipWithError("the run stopped");
    state.SetItemsProcessed(steps);
    state.counters["journal_MiB"] =
        static_cast<double>(sim.Journal().MemoryBytes()) / (1024.0 * 1024.0);
}

}  // namespace

BENCHMARK(BM_RunBatchDebugging)
    ->ArgName("variant")
    ->Arg(kPlain)
    ->Arg(kBreakpoints)
    ->Arg(kWatch)
    ->Arg(kRecording)
    ->Arg(kEverything)
    ->Unit(benchmark::kMillisecond);
