// z51 run FILE.hex: loads the file as the load command does, runs it until
// a stop or a number of steps, and prints the final state (as text or JSON).
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "app/load_texts.h"
#include "command_registry.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/input_script.h"
#include "core/simulator.h"
#include "core/text_file.h"
#include "loader/listing_map.h"
#include "core/wave_recorder.h"
#include "loader/load_program.h"
#include "run_board.h"

namespace {

using zelo::core::ChipModel;
using zelo::core::Simulator;
using zelo::core::StopReason;

struct RunOptions {
    std::string file;
    std::string chip = "8051";
    uint64_t steps = 1'000'000;
    bool json = false;
    bool trace = false;
    std::vector<std::string> breaks;   // addresses or labels
    std::vector<std::string> watches;  // "30H", "P1.0=1", "X:0100=5A"
    std::string input;
    std::string vcd;
    std::string board;
};

// Where and why a run stopped on a breakpoint or watch.
struct StopDetail
{
    std::string address;  // breakpoint: HexWord; watch: "30H", "D0.7", "X:0100H"
    std::string label;    // breakpoint: the listing's label there, if any
    std::string watch;    // watch: its text with the chosen value
};

StopDetail WatchDetail(const Simulator& sim, int index)
{
    zelo::core::Watch watch = sim.Watches().Watches()[static_cast<std::size_t>(index)];
    StopDetail detail;
    detail.watch = zelo::core::WatchText(watch);
    watch.value.reset();
    detail.address = zelo::core::WatchText(watch);
    return detail;
}

const char* StopName(StopReason reason)
{
    switch (reason) {
        case StopReason::NoCode: return "no-code";
        case StopReason::UndefinedBit: return "undefined-bit";
        case StopReason::Stack: return "stack";
        case StopReason::Break:
            return "break";
        case StopReason::Watch:
            return "watch";
        case StopReason::InputDone:
            return "input-done";
        default: return "steps";
    }
}

std::string CellsText(const std::array<char, 8>& cells)
{
    std::string text(8, ' ');
    for (int k = 0; k < 8; ++k) text[static_cast<std::size_t>(7 - k)] = cells[static_cast<std::size_t>(k)];
    return text;
}

std::string UpperByteText(const std::array<char, 8>& cells)
{
    unsigned value = 0;
    for (int k = 7; k >= 0; --k) {
        const char c = cells[static_cast<std::size_t>(k)];
        if (c != '0' && c != '1') return "xx";
        value = 2 * value + (c == '1');
    }
    return zelo::core::ToHexByte(value);
}

// The transmit stream as text: printable ASCII as it is, \r \n \t \\ and
// \xHH for the rest, so every byte can be told.
std::string EscapedText(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t b : bytes) {
        switch (b) {
            case '\r':
                text += "\\r";
                break;
            case '\n':
                text += "\\n";
                break;
            case '\t':
                text += "\\t";
                break;
            case '\\':
                text += "\\\\";
                break;
            default:
                if (b >= 0x20 && b < 0x7F) {
                    text += static_cast<char>(b);
                } else {
                    text += "\\x" + zelo::core::ToHexByte(b);
                }
        }
    }
    return text;
}

std::string HexBytes(const std::vector<uint8_t>& bytes)
{
    std::string text;
    for (uint8_t b : bytes) {
        if (!text.empty()) text += ' ';
        text += zelo::core::ToHexByte(b);
    }
    return text;
}

// Each port's pins, P.7 first: "0", "1", or "z" for a floating P0 pin.
nlohmann::json PinsJson(const Simulator& sim)
{
    nlohmann::json pins = nlohmann::json::object();
    const auto latches = sim.Latches();
    for (int p = 0; p < zelo::core::kPorts; ++p) {
        std::string levels;
        for (int b = 7; b >= 0; --b) levels += zelo::core::PinLevelChar(p, b, latches, sim.Outside().pins);
        pins["P" + std::to_string(p)] = levels;
    }
    return pins;
}

nlohmann::json StateJson(const Simulator& sim, const char* chip, StopReason stop,
                         const StopDetail& detail)
{
    const auto& cpu = sim.Cpu();
    nlohmann::json j;
    j["chip"] = chip;
    j["stop"] = StopName(stop);
    if (stop == StopReason::Break || stop == StopReason::Watch) j["stop_address"] = detail.address;
    if (!detail.watch.empty()) j["watch"] = detail.watch;
    if (!detail.label.empty()) j["stop_label"] = detail.label;
    j["pc"] = zelo::core::ToHexWord(sim.ProgramCounter());
    j["steps"] = sim.StepCounter();
    j["cycles"] = sim.CycleCounter();
    nlohmann::json iram = nlohmann::json::array();
    for (const auto& cells : cpu.internal) iram.push_back(CellsText(cells));
    j["iram"] = std::move(iram);
    if (zelo::core::HasUpperRam(cpu.Chip())) {
        nlohmann::json upper = nlohmann::json::array();
        for (const auto& cells : cpu.upperRam) upper.push_back(UpperByteText(cells));
        j["upper"] = std::move(upper);
    }
    nlohmann::json xram = nlohmann::json::object();
    for (int a = 0; a < 0x10000; ++a) {
        const auto& cell = cpu.externalMemory[static_cast<std::size_t>(a)];
        if (!cell.IsUnloaded()) xram[zelo::core::ToHexWord(static_cast<unsigned>(a))] = cell.Text();
    }
    j["xram"] = std::move(xram);
    j["log"] = cpu.simulationLog.Text();
    const std::vector<uint8_t> sent = sim.TransmittedBytes();
    j["uart_out"] = {{"text", EscapedText(sent)}, {"hex", HexBytes(sent)}, {"count", sim.TransmittedCount()}};
    j["pins"] = PinsJson(sim);
    return j;
}

// A byte as the state picture shows it: "--" where the chip has no RAM or
// register, "xx" with an undefined bit, else its value.
std::string ShownByteText(const zelo::core::CpuState& cpu, uint8_t address)
{
    bool missing = true;
    for (char c : cpu.internal[address]) missing = missing && c == '-';
    return missing ? "--" : cpu.PeekRamByteText(address);
}

void PrintText(const Simulator& sim, const char* chip, StopReason stop, const StopDetail& detail)
{
    const auto& cpu = sim.Cpu();
    std::cout << "chip   " << chip << "\nstop   " << StopName(stop);
    if (stop == StopReason::Break || stop == StopReason::Watch) std::cout << " " << detail.address;
    if (!detail.label.empty()) std::cout << " (" << detail.label << ")";
    std::cout << "\n"
              << Simulator::PcCaption(sim.ProgramCounter()) << "  Cycle:" << sim.CycleCounter()
              << "  Step:" << sim.StepCounter() << "\n";
    for (int row = 0; row < 16; ++row) {
        std::cout << zelo::core::ToHexByte(static_cast<unsigned>(16 * row)) << ":";
        for (int c = 0; c < 16; ++c) std::cout << ' ' << ShownByteText(cpu, static_cast<uint8_t>(16 * row + c));
        std::cout << "\n";
    }
    const std::string& log = cpu.simulationLog.Text();
    if (!log.empty()) std::cout << log << (log.back() == '\n' ? "" : "\n");
}

// A breakpoint given as a label of the listing or a hexadecimal address.
std::optional<uint16_t> BreakAddress(const std::string& text,
                                     const zelo::loader::ListingMap& listing)
{
    if (const auto label = listing.LabelAddress(text)) return label;
    std::string digits = zelo::core::ToUpperAscii(zelo::core::TrimBlanks(text));
    if (digits.size() > 2 && digits.compare(0, 2, "0X") == 0)
        digits.erase(0, 2);
    else if (digits.size() > 1 && digits.back() == 'H')
        digits.pop_back();
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    for (char c : digits)
        if (!zelo::core::IsUpperHexDigit(c)) return std::nullopt;
    return static_cast<uint16_t>(zelo::core::ParseHexWord(digits));
}

int Run(const RunOptions& options)
{
    const auto chip = zelo::core::ChipFromName(options.chip);
    if (!chip) {
        std::cerr << "z51 run: unknown chip " << options.chip << " (8051, 8052 or 89Cx051)\n";
        return 2;
    }
    const std::filesystem::path path(options.file);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");

    Simulator sim(*chip);
    zelo::loader::HexLoaderState state;
    const auto loaded = zelo::loader::LoadProgram(sim, folder, {false, path.filename().string()}, state);
    if (!loaded.hex.Ok()) {
        std::cerr << "z51 run: " << options.file << ": " << zelo::app::HexLoadFailure(loaded.hex) << "\n";
        return 1;
    }

    // Labels come from the listing beside the HEX file, when there is one.
    zelo::loader::ListingMap listing;
    if (const auto text = zelo::core::ReadTextFile(folder / (path.stem().string() + ".lst")))
        listing = zelo::loader::ListingMap(*text);
    for (const std::string& b : options.breaks) {
        const auto address = BreakAddress(b, listing);
        if (!address) {
            std::cerr << "z51 run: --break " << b << ": not an address or a label of the listing\n";
            return 2;
        }
        sim.Breakpoints().Set(*address, true);
    }
    for (const std::string& w : options.watches) {
        const auto watch = zelo::core::ParseWatch(w, &sim.Cpu());
        if (!watch || !sim.AddWatch(*watch)) {
            std::cerr << "z51 run: --watch " << w
                      << ": not a RAM, register, bit or X:address watch\n";
            return 2;
        }
    }
    if (!options.input.empty()) {
        std::string error;
        const auto text = zelo::core::ReadTextFile(options.input, &error);
        if (!text) {
            std::cerr << "z51 run: " << options.input << ": " << (error.empty() ? "cannot be read" : error) << "\n";
            return 1;
        }
        auto script = zelo::core::ParseInputScript(*text);
        if (!script.Ok()) {
            for (const auto& problem : script.problems)
                std::cerr << "z51 run: " << options.input << ": " << zelo::core::ProblemText(problem) << "\n";
            return 1;
        }
        sim.SetInputEvents(std::move(script.events));
    }
    std::optional<zelo::core::WaveRecorder> wave;
    if (!options.vcd.empty()) wave.emplace(sim);
    std::optional<zelo::tools::RunBoard> board;
    if (!options.board.empty()) {
        board.emplace();
        if (const auto problem = board->Open(options.board, folder, *chip)) {
            std::cerr << "z51 run: " << options.board << ": " << *problem << "\n";
            return 1;
        }
        board->AfterStep(sim, false);
    }

    // Undisplayed unless the trace is asked for: the fast path of a run.
    sim.SetDisplayFlag(false);
    StopReason stop = StopReason::None;
    StopDetail detail;
    for (uint64_t i = 0; i < options.steps && stop == StopReason::None; ++i) {
        // A breakpoint stops before its instruction, but not the first one.
        if (i > 0 && sim.Breakpoints().Has(sim.ProgramCounter())) {
            stop = StopReason::Break;
            detail.address = zelo::core::ToHexWord(sim.ProgramCounter());
            if (!listing.LabelAtOrBelow(sim.ProgramCounter()).empty())
                detail.label = listing.Describe(sim.ProgramCounter());
            break;
        }
        if (options.trace) {
            const std::string trace = sim.TraceLineAt(sim.ProgramCounter());
            const auto report = sim.ExecuteStep();
            stop = report.stopReason;
            if (report.watchIndex >= 0) detail = WatchDetail(sim, report.watchIndex);
            if (board) board->AfterStep(sim, report.executed);
            if (report.executed) {
                std::cout << trace << " " << Simulator::PcCaption(sim.ProgramCounter())
                          << "  Cycle:" << sim.CycleCounter() << "  Step:" << sim.StepCounter() << "\n";
            }
        } else {
            const auto report = sim.ExecuteStep();
            stop = report.stopReason;
            if (report.watchIndex >= 0) detail = WatchDetail(sim, report.watchIndex);
            if (board) board->AfterStep(sim, report.executed);
        }
        if (wave) wave->Sample(sim);
    }
    if (wave) {
        std::string error;
        std::string text;
        for (char c : wave->Text()) text += c == '\n' ? "\r\n" : std::string(1, c);
        if (!zelo::core::WriteFileAtomic(options.vcd, text, &error)) {
            std::cerr << "z51 run: " << options.vcd << ": " << (error.empty() ? "cannot be written" : error) << "\n";
            return 1;
        }
    }
    const char* chipName = zelo::core::ChipName(*chip);
    if (options.json) {
        auto j = StateJson(sim, chipName, stop, detail);
        if (board) j["board"] = board->Report();
        std::cout << j.dump(1) << "\n";
    } else {
        PrintText(sim, chipName, stop, detail);
        if (board) std::cout << board->Text();
    }
    return 0;
}

zelo::tools::RegisterCommand reg("run", [](CLI::App& app, const std::string& name) -> std::function<int()> {
    auto options = std::make_shared<RunOptions>();
    auto* sub = app.add_subcommand(name, "Load an Intel HEX file and run it until a stop or N steps");
    sub->add_option("file", options->file, "the HEX file")->required();
    sub->add_option("--chip", options->chip, "8051, 8052 or 89Cx051")
        ->check(CLI::IsMember({"8051", "8052", "89Cx051", "89CX051", "89c2051", "89C2051"}));
    sub->add_option("--steps", options->steps, "most steps to run (default 1000000)")->check(CLI::NonNegativeNumber);
    sub->add_flag("--json", options->json, "print the final state as one JSON object");
    sub->add_flag("--trace", options->trace, "print every step's trace line, PC and counters");
    sub->add_option("--break", options->breaks,
                    "stop before the instruction at ADDR (hexadecimal) or LABEL of FILE's listing; "
                    "repeatable")
        ->allow_extra_args(false);
    sub->add_option(
           "--watch", options->watches,
           "stop when ADDR (RAM, register or bit; X:ADDR for external RAM) is written, or becomes "
           "=VALUE; repeatable")
        ->allow_extra_args(false);
    sub->add_option("--input", options->input, "an input script: pins, clocks, serial bytes, voltages over time");
    sub->add_option("--vcd", options->vcd, "write a Value Change Dump of the pins, flags and PC to this file");
    sub->add_option("--board", options->board,
                    "run with an accessory board (a board file, or a name in boards/ beside the HEX file) "
                    "and show what it shows");
    return [options] { return Run(*options); };
});

}  // namespace
