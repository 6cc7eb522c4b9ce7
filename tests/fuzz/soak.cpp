// The soak run of `make fuzz`: every program given (the examples and the
// differential corpus) is assembled and run for a long stretch of steps
// (10 million by default) under the sanitizers. A program that runs into
// unloaded code is loaded again and goes on, so every program gets its full
// share of steps. After every step the counters must not go backwards, and
// at intervals the whole state is checked: bit cells valid, the register
// bank following PSW, code memory never written, the log kept within bounds.
//
//   zelo_soak [--steps N] FILE.asm ...
//
// Programs are assembled by the workbench's assembler; one it refuses is
// assembled by as31 when that is installed (the differential programs are
// written for it). Exit status 0 when every program kept its invariants.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/assembly_texts.h"
#include "asm/assembler_session.h"
#include "core/ascii_text.h"
#include "core/simulator.h"
#include "core/text_file.h"
#include "fuzz_temp_folder.h"
#include "loader/load_program.h"

using namespace zelo;
namespace fs = std::filesystem;

namespace {

bool ValidCell(char c) { return c == '0' || c == '1' || c == 'x' || c == '-'; }

// The chip named by a "; chip: 8052" line, 8051 otherwise.
core::ChipModel ChipOf(const std::string& text)
{
    for (const auto& line : core::SplitLines(text)) {
        const auto at = line.find("chip:");
        if (line.rfind(";", 0) == 0 && at != std::string::npos)
            if (auto chip = core::ChipFromName(std::string(core::TrimBlanks(line.substr(at + 5))))) return *chip;
    }
    return core::ChipModel::C8051;
}

// Assembles the program into folder/P.hex; the reason when it cannot.
bool Assemble(const fs::path& file, const fs::path& folder, core::ChipModel chip, std::string& why)
{
    const auto text = core::ReadTextFile(file, &why);
    if (!text) return false;
    assembler::AssemblerSession session(folder, chip);
    session.SetStatisticsEnabled(false);
    session.SetTraceEnabled(false);
    session.SetProgramName("P");
    session.SetSourceText(*text);
    session.AsmAll();
    if (session.Succeeded()) return true;
    why = app::AssemblyReport(session.Result(), session.Outcome());
    fs::copy_file(file, folder / "P.asm", fs::copy_options::overwrite_existing);
    const std::string command = "cd '" + folder.string() + "' && as31 -Fhex P.asm >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 && fs::exists(folder / "P.hex");
}

struct Failure {
    std::string what;
};

void Check(bool condition, const char* what, uint64_t step)
{
    if (condition) return;
    std::fprintf(stderr, "    invariant broken after %llu steps: %s\n", static_cast<unsigned long long>(step), what);
    throw Failure{what};
}

void CheckState(const core::CpuState& cpu, const std::vector<core::HexCell>& code, uint64_t step)
{
    for (const auto& cells : cpu.internal)
        for (char c : cells) Check(ValidCell(c), "internal RAM cells hold 0, 1, x or -", step);
    for (const auto& cells : cpu.upperRam)
        for (char c : cells) Check(ValidCell(c), "upper RAM cells hold 0, 1, x or -", step);
    for (int n = 0; n < 8; ++n)
        Check(cpu.registerAddress[n] == cpu.CurrentBank() * 8 + n, "the registers follow the bank", step);
    Check(cpu.codeMemory.size() == code.size(), "code memory keeps its size", step);
    for (std::size_t a = 0; a < code.size(); ++a)
        Check(cpu.codeMemory[a].IsUnloaded() ? code[a].IsUnloaded()
                                             : core::ToUpperAscii(cpu.codeMemory[a].Text()) == code[a].Text(),
              "code memory is never written", step);
    Check(cpu.externalMemory.size() == core::kMemoryCells, "external memory keeps its size", step);
    Check(cpu.simulationLog.Text().size() < (1u << 20), "the simulation log stays within a megabyte", step);
}

// Runs one program for `steps` executed steps; false when an invariant broke.
bool Soak(const fs::path& file, uint64_t steps)
{
    const fs::path folder = fuzz::TempFolder() / file.stem();
    fs::create_directories(folder / "8051.LIB");
    const fs::path library = file.parent_path() / "8051.LIB";
    std::error_code ec;
    if (fs::is_directory(library)) fs::copy(library, folder / "8051.LIB", fs::copy_options::overwrite_existing | fs::copy_options::recursive, ec);

    const std::string text = core::ReadTextFile(file).value_or("");
    const core::ChipModel chip = ChipOf(text);
    std::string why;
    if (!Assemble(file, folder, chip, why)) {
        std::printf("   %s: not assembled, skipped\n%s\n", file.filename().c_str(), why.c_str());
        return true;
    }

    core::Simulator sim(chip);
    sim.SelectChip(chip);
    loader::HexLoaderState state;
    auto load = [&] {
        const auto result = loader::LoadProgram(sim, folder, {false, "P.hex"}, state);
        return result.done && result.hex.Ok();
    };
    if (!load()) {
        std::printf("   %s: HEX file not loaded\n", file.filename().c_str());
        return false;
    }
    sim.SetDisplayFlag(false);
    const std::vector<core::HexCell> code = [&] {
        std::vector<core::HexCell> cells = sim.Cpu().codeMemory;
        for (auto& c : cells)
            if (!c.IsUnloaded()) c = core::HexCell::FromText(core::ToUpperAscii(c.Text()));
        return cells;
    }();

    uint64_t executed = 0, restarts = 0, stops = 0;
    try {
        uint64_t cycles = sim.CycleCounter(), counted = sim.StepCounter();
        while (executed < steps) {
            sim.SetDisplayFlag(executed % 100000 == 0);  // some steps build their texts
            const core::StepReport report = sim.OneStep();
            if (report.stopReason != core::StopReason::None) ++stops;
            if (!report.executed) {
                Check(sim.CycleCounter() == cycles && sim.StepCounter() == counted,
                      "a step that executes nothing counts nothing", executed);
                ++restarts;
                Check(load(), "the program loads again", executed);
                sim.SetDisplayFlag(false);
                cycles = sim.CycleCounter();
                counted = sim.StepCounter();
                continue;
            }
            ++executed;
            Check(sim.StepCounter() == counted + 1, "the step counter counts each step", executed);
            Check(sim.CycleCounter() > cycles && sim.CycleCounter() <= cycles + 6,
                  "the cycle counter moves forward by one instruction", executed);
            cycles = sim.CycleCounter();
            counted = sim.StepCounter();
            if (executed % 1'000'000 == 0 || executed == steps) CheckState(sim.Cpu(), code, executed);
        }
    } catch (const Failure&) {
        std::printf("   %s: FAILED\n", file.filename().c_str());
        return false;
    }
    std::printf("   %s (%s): %llu steps, %llu cycles since the last load, %llu reloads, %llu stops\n",
                file.filename().c_str(), core::ChipName(chip), static_cast<unsigned long long>(executed),
                static_cast<unsigned long long>(sim.CycleCounter()), static_cast<unsigned long long>(restarts),
                static_cast<unsigned long long>(stops));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    uint64_t steps = 10'000'000;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--steps" && i + 1 < argc)
            steps = std::strtoull(argv[++i], nullptr, 10);
        else
            files.emplace_back(arg);
    }
    bool ok = true;
    for (const auto& file : files) ok = Soak(file, steps) && ok;
    return ok ? 0 : 1;
}
