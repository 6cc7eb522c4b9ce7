// Assembling a generated source of 4000 lines (the line limit): both rounds
// and every output file, reported as lines per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "asm/assembler_session.h"

namespace {

// 200 blocks of 20 lines: a label, loops with relative jumps back to it,
// calls, direct and immediate forms, and a small table every tenth block.
std::string GenerateSource(int lines)
{
    std::string s = "\tORG 0\n";
    int written = 1;
    for (int block = 0; written < lines; ++block) {
        const std::string label = "B" + std::to_string(block);
        const std::string body[] = {
            label + ":\tMOV R7,#20",
            "\tMOV A,#0FFH",
            "\tMOV 30H,#12H",
            "\tADD A,30H",
            "\tADDC A,@R0",
            "\tANL A,#0F0H",
            "\tORL P1,#01H",
            "\tSETB P1.0",
            "\tCLR C",
            "\tJNB TI," + label,
            "\tCJNE A,#10," + label,
            "\tMOV DPTR,#" + label,
            "\tMOVC A,@A+DPTR",
            "\tPUSH ACC",
            "\tPOP ACC",
            "\tLCALL " + label,
            "\tDJNZ R7," + label,
            "\tINC 30H",
            "\tXRL A,R3",
            block % 10 == 0 ? "\tDB 3FH,06H,5BH,4FH" : "\tNOP",
        };
        for (const std::string& l : body) {
            if (written >= lines) break;
            s += l + "\n";
            ++written;
        }
    }
    return s;
}

void BM_AssembleAndWrite(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    std::random_device rd;
    const auto dir =
        std::filesystem::temp_directory_path() / ("zelo_asm_bench_" + std::to_string(rd()));
    std::filesystem::create_directories(dir);
    zelo::assembler::AssemblerSession session(dir);
    session.SetProgramName("BENCH");
    session.SetSourceText(GenerateSource(lines));
    for (auto _ : state) {
        session.AsmAll();
        if (!session.Succeeded()) state.SkipWithError("the generated source did not pass");
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines) * state.iterations(),
                                                   benchmark::Counter::kIsRate);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_AssembleAndWrite)->Arg(4000)->Unit(benchmark::kMillisecond);

}  // namespace
