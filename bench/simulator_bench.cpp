// Instructions per second of the simulator on a CPU-bound program (loops,
// arithmetic, calls, MOVC and MOVX), loaded from its HEX file as the load
// command does and run undisplayed, as a long run in the window is.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "core/simulator.h"
#include "loader/load_program.h"

namespace {

void RunCpuBound(benchmark::State& state, zelo::core::ChipModel chip)
{
    const std::filesystem::path folder = std::filesystem::path(ZELO_SOURCE_DIR) / "bench/programs";
    zelo::core::Simulator sim(chip);
    zelo::loader::HexLoaderState loader;
    const auto loaded = zelo::loader::LoadProgram(sim, folder, {false, "cpu_bound.hex"}, loader);
    if (!loaded.hex.Ok()) {
        state.SkipWithError("cpu_bound.hex could not be loaded");
        return;
    }
    sim.SetDisplayFlag(false);
    constexpr int kSteps = 100'000;
    for (auto _ : state) {
        for (int i = 0; i < kSteps; ++i) {
            const auto report = sim.ExecuteStep();
            if (report.stopReason != zelo::core::StopReason::None) {
                state.SkipWithError("the program stopped");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kSteps);
    state.counters["instructions/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kSteps, benchmark::Counter::kIsRate);
}

void BM_Simulator8051(benchmark::State& state) { RunCpuBound(state, zelo::core::ChipModel::C8051); }
void BM_Simulator8052(benchmark::State& state) { RunCpuBound(state, zelo::core::ChipModel::C8052); }

// A run driven by the window's timer: batches of undisplayed steps.
void BM_SimulatorRunBatch(benchmark::State& state)
{
    const std::filesystem::path folder = std::filesystem::path(ZELO_SOURCE_DIR) / "bench/programs";
    zelo::core::Simulator sim;
    zelo::loader::HexLoaderState loader;
    zelo::loader::LoadProgram(sim, folder, {false, "cpu_bound.hex"}, loader);
    int64_t steps = 0;
    for (auto _ : state) {
        sim.SetTextStop("2000000000");
        if (!sim.Running()) sim.ToggleRun();
        steps += sim.RunBatch(100'000).stepsExecuted;
    }
    state.SetItemsProcessed(steps);
}

}  // namespace

BENCHMARK(BM_Simulator8051)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Simulator8052)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SimulatorRunBatch)->Unit(benchmark::kMillisecond);
