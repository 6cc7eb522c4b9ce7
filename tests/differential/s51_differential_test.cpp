// Differential test against an independent simulator: every program of
// tests/differential/programs is assembled with as31, run in `z51 run` until
// it stops, then run for the same number of instructions in ucsim's s51. The
// program counter, the cycle count, internal RAM (and the 8052's upper RAM),
// the special function registers and external RAM must agree wherever this
// simulator holds a defined bit. s51 starts with random RAM, so the programs
// clear RAM and set PSW before they read anything.
//
// Together the programs execute every defined opcode; the test checks that
// from the trace of each run.
//
// Program header comments:
//   ; chip: 8052          the chip (default 8051)
//   ; steps: N            run exactly N steps instead of running to the stop
//   ; ignore-sfr: 98 99   SFR addresses not compared (documented in the program)
//   ; entries-in: 30      RAM 30H counts the interrupt entries. s51 charges one
//                         machine cycle for an entry; the chip's hardware LCALL
//                         takes two. s51 is expected to count that many fewer
//                         cycles.
//   ; receive: 41 42      bytes sent to the serial port's RXD: an input script
//                         for z51, s51's serial input file
//   ; ignore-cycles       the cycle counts are not compared (serial character
//                         times are computed from the baud rate here and
//                         counted from timer overflows in s51)
//
// Whatever a program does, its simulation log stays within its fixed number
// of lines.
//
// A program that runs to its stop (a jump into unloaded code) is run in s51
// up to a breakpoint at that address; a program with a step count is stepped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../support/shell.h"

namespace fs = std::filesystem;

namespace {

using Outcome = ShellOutcome;

Outcome Shell(const std::string& command) { return RunShell(command); }

bool HaveTool(const char* name)
{
    return Shell(std::string("command -v ") + name + " >/dev/null 2>&1 && echo yes").out.find("yes") == 0;
}

struct Program {
    fs::path source;
    std::string chip = "8051";
    long steps = 0;  // 0: run to the stop
    std::set<int> ignoredSfrs;
    int entriesIn = -1;  // RAM address counting interrupt entries
    bool compareCycles = true;
    std::string receive;  // hex bytes for RXD
};

Program ReadHeader(const fs::path& source)
{
    Program p;
    p.source = source;
    std::ifstream in(source);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string semicolon, key;
        words >> semicolon >> key;
        if (semicolon != ";") continue;
        if (key == "chip:") words >> p.chip;
        if (key == "steps:") words >> p.steps;
        if (key == "ignore-cycles") p.compareCycles = false;
        if (key == "receive:") std::getline(words, p.receive);
        if (key == "entries-in:") {
            std::string hex;
            words >> hex;
            p.entriesIn = std::stoi(hex, nullptr, 16);
        }
        if (key == "ignore-sfr:") {
            std::string hex;
            // Addresses up to the first word that is not one (the reason).
            while (words >> hex && hex.size() == 2 && std::isxdigit(static_cast<unsigned char>(hex[0])) &&
                   std::isxdigit(static_cast<unsigned char>(hex[1])))
                p.ignoredSfrs.insert(std::stoi(hex, nullptr, 16));
        }
    }
    return p;
}

struct S51State {
    long pc = -1;
    long clocks = -1;
    std::vector<int> iram;  // 256 entries, -1 when not dumped
    std::vector<int> sfr;   // 128 entries for 80H-FFH
    std::map<int, int> xram;
};

// Lines "0xAA b0 b1 ... b15 text": address and the 16 bytes.
bool ParseDumpLine(const std::string& line, int& address, int& digits, std::vector<int>& bytes)
{
    if (line.rfind("0x", 0) != 0) return false;
    std::istringstream in(line.substr(2));
    std::string a;
    in >> a;
    if (a.size() != 2 && a.size() != 4) return false;
    address = std::stoi(a, nullptr, 16);
    digits = static_cast<int>(a.size());
    bytes.clear();
    std::string b;
    for (int i = 0; i < 16 && in >> b; ++i) {
        if (b.size() != 2 || !std::isxdigit(static_cast<unsigned char>(b[0])) ||
            !std::isxdigit(static_cast<unsigned char>(b[1])))
            break;
        bytes.push_back(std::stoi(b, nullptr, 16));
    }
    return bytes.size() == 16;
}

// Runs s51 with the given run commands ("step N", or a breakpoint and "run")
// and reads PC, clocks and memories back.
S51State RunS51(const fs::path& hex, const std::string& chip, const std::string& run, const fs::path& dir,
                const std::string& serialOptions)
{
    const fs::path commands = dir / "s51.cmd";
    {
        std::ofstream out(commands);
        out << run << "dump /h iram 0 0xff 16\nstate\ndump /h sfr 0x80 0xff 16\n"
            << "dump /h xram 0 0xffff 16\nquit\n";
    }
    const std::string type = chip == "8052" ? "8052" : "8051";
    const Outcome o =
        Shell("s51 -t " + type + " -q " + serialOptions + hex.string() + " < " + commands.string() + " 2>&1");
    S51State s;
    s.iram.assign(256, -1);
    s.sfr.assign(128, -1);
    std::istringstream lines(o.out);
    std::string line;
    bool afterState = false;
    while (std::getline(lines, line)) {
        if (line.rfind("CPU state=", 0) == 0) {
            afterState = true;
            const auto at = line.find("PC= 0x");
            if (at != std::string::npos) s.pc = std::stol(line.substr(at + 6), nullptr, 16);
            continue;
        }
        if (line.rfind("Total time since last reset=", 0) == 0) {
            const auto open = line.rfind('(');
            if (open != std::string::npos) s.clocks = std::stol(line.substr(open + 1));
            continue;
        }
        int address = 0, digits = 0;
        std::vector<int> bytes;
        if (!ParseDumpLine(line, address, digits, bytes)) continue;
        for (int i = 0; i < 16; ++i) {
            const int a = address + i;
            if (digits == 4) {
                s.xram[a] = bytes[static_cast<std::size_t>(i)];
            } else if (!afterState && a < 256) {
                s.iram[static_cast<std::size_t>(a)] = bytes[static_cast<std::size_t>(i)];
            } else if (afterState && a >= 0x80 && a < 0x100) {
                s.sfr[static_cast<std::size_t>(a - 0x80)] = bytes[static_cast<std::size_t>(i)];
            }
        }
    }
    return s;
}

// Compares the defined cells ("0"/"1", bit 7 first) of a z51 byte with a
// byte of s51; returns a description of the difference or "".
std::string CompareCells(const std::string& cells, int value, const std::string& where)
{
    if (value < 0) return where + ": not in the s51 dump";
    for (int k = 0; k < 8; ++k) {
        const char c = cells[static_cast<std::size_t>(7 - k)];
        if (c != '0' && c != '1') continue;
        if ((c == '1') != (((value >> k) & 1) == 1)) {
            char text[80];
            std::snprintf(text, sizeof text, "%s: z51 %s, s51 %02X", where.c_str(), cells.c_str(), value);
            return text;
        }
    }
    return "";
}

class S51Differential : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveTool("s51") || !HaveTool("as31")) GTEST_SKIP() << "s51 or as31 not installed";
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_diff_" + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }
    fs::path m_dir;
};

// Internal RAM 00H-7FH, the SFRs (but the ignored ones), the 8052's upper RAM
// and every external byte z51 holds, where z51's cells are defined.
std::vector<std::string> MemoryDifferences(const nlohmann::json& z, const S51State& s, const Program& program)
{
    std::vector<std::string> differences;
    for (int a = 0; a < 0x80; ++a) {
        const std::string d = CompareCells(z["iram"][a], s.iram[static_cast<std::size_t>(a)],
                                           "iram " + std::to_string(a));
        if (!d.empty()) differences.push_back(d);
    }
    for (int a = 0x80; a < 0x100; ++a) {
        if (program.ignoredSfrs.count(a)) continue;
        const std::string d = CompareCells(z["iram"][a], s.sfr[static_cast<std::size_t>(a - 0x80)],
                                           "sfr " + std::to_string(a));
        if (!d.empty()) differences.push_back(d);
    }
    if (program.chip == "8052") {
        for (int i = 0; i < 128; ++i) {
            const std::string text = z["upper"][i];
            if (text == "xx") continue;
            if (std::stoi(text, nullptr, 16) != s.iram[static_cast<std::size_t>(0x80 + i)])
                differences.push_back("upper " + std::to_string(0x80 + i));
        }
    }
    for (const auto& [address, value] : z["xram"].items()) {
        const int a = std::stoi(address, nullptr, 16);
        const auto found = s.xram.find(a);
        if (found == s.xram.end() || found->second != std::stoi(value.get<std::string>(), nullptr, 16))
            differences.push_back("xram " + address);
    }
    return differences;
}

std::vector<fs::path> CorpusSources()
{
    std::vector<fs::path> sources;
    for (const auto& entry : fs::directory_iterator(fs::path(ZELO_SOURCE_DIR) / "tests/differential/programs"))
        if (entry.path().extension() == ".asm") sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    return sources;
}

}  // namespace

TEST_F(S51Differential, CorpusAgreesWithS51AndCoversEveryOpcode)
{
    const std::string z51 = std::string(ZELO_BINARY_DIR) + "/tools/z51";
    std::set<int> executed;
    const auto sources = CorpusSources();
    ASSERT_FALSE(sources.empty());
    for (const fs::path& source : sources) {
        SCOPED_TRACE(source.filename().string());
        const Program program = ReadHeader(source);
        const fs::path asmCopy = m_dir / source.filename();
        fs::copy_file(source, asmCopy, fs::copy_options::overwrite_existing);
        const Outcome assembled = Shell("cd " + m_dir.string() + " && as31 " + asmCopy.filename().string() + " 2>&1");
        fs::path hex = asmCopy;
        hex.replace_extension(".hex");
        ASSERT_TRUE(assembled.status == 0 && fs::exists(hex)) << assembled.out;

        const std::string stepsOption = " --steps " + std::to_string(program.steps > 0 ? program.steps : 10'000'000);
        std::string serialOptions, inputOption;
        if (!program.receive.empty()) {
            const fs::path script = m_dir / "receive.in";
            const fs::path bytes = m_dir / "receive.bin";
            std::ofstream(script) << "@0 uart " << program.receive << "\n";
            std::ofstream raw(bytes, std::ios::binary);
            std::istringstream hexBytes(program.receive);
            for (std::string b; hexBytes >> b;) raw.put(static_cast<char>(std::stoi(b, nullptr, 16)));
            inputOption = " --input " + script.string();
            serialOptions = "-S in=" + bytes.string() + " ";
        }
        const Outcome run = Shell(z51 + " run " + hex.string() + " --json --chip " + program.chip + stepsOption + inputOption);
        ASSERT_EQ(run.status, 0) << run.out;
        const auto z = nlohmann::json::parse(run.out);
        if (program.steps > 0) {
            EXPECT_EQ(z["stop"], "steps");
        } else {
            EXPECT_EQ(z["stop"], "no-code") << z["log"];
        }
        const long steps = z["steps"].get<long>();

        const Outcome trace = Shell(z51 + " run " + hex.string() + " --trace --chip " + program.chip +
                                    " --steps " + std::to_string(steps) + inputOption);
        std::istringstream traceLines(trace.out);
        std::string line;
        while (std::getline(traceLines, line)) {
            if (line.size() > 3 && std::isxdigit(static_cast<unsigned char>(line[0])) &&
                std::isxdigit(static_cast<unsigned char>(line[1])) && line[2] == ' ')
                executed.insert(std::stoi(line.substr(0, 2), nullptr, 16));
        }

        long entries = 0;
        if (program.entriesIn >= 0) {
            entries = std::stol(z["iram"][program.entriesIn].get<std::string>(), nullptr, 2);
            EXPECT_GT(entries, 0);
        }
        const std::string pcText = z["pc"].get<std::string>();
        const std::string s51Run = program.steps > 0 ? "step " + std::to_string(steps) + "\n"
                                                     : "break 0x" + pcText + "\nrun\n";
        const S51State s = RunS51(hex, program.chip, s51Run, m_dir, serialOptions);
        EXPECT_EQ(s.pc, std::stol(pcText, nullptr, 16));
        if (program.compareCycles) { EXPECT_EQ(s.clocks, 12 * (z["cycles"].get<long>() - entries)); }
        const std::string log = z["log"];
        EXPECT_LE(std::count(log.begin(), log.end(), '\n'), 100) << "the simulation log keeps its size";
        const auto differences = MemoryDifferences(z, s, program);
        EXPECT_TRUE(differences.empty()) << differences.size() << " differences, first: " << differences.front();
    }
    std::vector<std::string> missing;
    for (int op = 0; op < 256; ++op) {
        if (op != 0xA5 && !executed.count(op)) {
            char text[4];
            std::snprintf(text, sizeof text, "%02X", op);
            missing.push_back(text);
        }
    }
    std::string list;
    for (const auto& m : missing) list += m + " ";
    EXPECT_TRUE(missing.empty()) << "opcodes never executed: " << list;
}

// Programs compiled by SDCC from tests/differential/sdcc/results.c (see
// build.sh there) in each memory model, run on the 8051 until they call
// unloaded code: every variable, wherever the model put it, agrees with s51.
TEST_F(S51Differential, SdccProgramsAgreeWithS51)
{
    const std::string z51 = std::string(ZELO_BINARY_DIR) + "/tools/z51";
    int programs = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(ZELO_SOURCE_DIR) / "tests/differential/sdcc")) {
        if (entry.path().extension() != ".ihx") continue;
        ++programs;
        SCOPED_TRACE(entry.path().filename().string());
        fs::path hex = m_dir / entry.path().filename();
        hex.replace_extension(".hex");
        fs::copy_file(entry.path(), hex, fs::copy_options::overwrite_existing);
        const Outcome run = Shell(z51 + " run " + hex.string() + " --json --chip 8051");
        ASSERT_EQ(run.status, 0) << run.out;
        const auto z = nlohmann::json::parse(run.out);
        EXPECT_EQ(z["stop"], "no-code") << z["log"];
        EXPECT_EQ(z["pc"], "F000");
        const S51State s = RunS51(hex, "8051", "break 0xf000\nrun\n", m_dir, "");
        EXPECT_EQ(s.pc, 0xF000);
        EXPECT_EQ(s.clocks, 12 * z["cycles"].get<long>());
        const auto differences = MemoryDifferences(z, s, Program{});
        EXPECT_TRUE(differences.empty()) << differences.size() << " differences, first: " << differences.front();
    }
    EXPECT_EQ(programs, 4);
}
