// The cost of the outside world: the CPU-bound program run undisplayed with
// an input script driving a clock on T0, a pin on INT1 and bytes on RXD,
// against the same program without events (BM_Simulator8051).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "core/input_script.h"
#include "core/simulator.h"
#include "loader/load_program.h"

namespace {

void BM_SimulatorWithInputEvents(benchmark::State& state)
{
    const std::filesystem::path folder = std::filesystem::path(ZELO_SOURCE_DIR) / "bench/programs";
    zelo::core::Simulator sim;
    zelo::loader::HexLoaderState loader;
    const auto loaded = zelo::loader::LoadProgram(sim, folder, {false, "cpu_bound.hex"}, loader);
    if (!loaded.hex.Ok()) {
        state.SkipWithError("cpu_bound.hex could not be loaded");
        return;
    }
    auto script = zelo::core::ParseInputScript(
        "@0 clock P3.4 10kHz\n@1000 P3.3=0\n@2000 P3.3=1\n@0 uart-baud 9600\n@1ms uart \"hello, world\"\n");
    sim.SetInputEvents(std::move(script.events));
    sim.SetDisplayFlag(false);
    constexpr int kSteps = 100'000;
    for (auto _ : state) {
        for (int i = 0; i < kSteps; ++i) {
            if (sim.ExecuteStep().stopReason != zelo::core::StopReason::None) {
                state.SkipWithError("the program stopped");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kSteps);
}

}  // namespace

BENCHMARK(BM_SimulatorWithInputEvents)->Unit(benchmark::kMillisecond);
