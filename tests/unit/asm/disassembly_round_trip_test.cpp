// The round trip: a program disassembled and its "Dis.asm" assembled again
// by the workbench's own assembler gives the same code image byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "asm/assembler_session.h"
#include "asm_test_support.h"
#include "core/opcode_table.h"
#include "core/text_file.h"
#include "loader/code_image.h"
#include "loader/disassemble_file.h"
#include "loader/intel_hex.h"

namespace zelo {
namespace {

namespace fs = std::filesystem;
using core::ChipModel;
using loader::CodeImage;

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Thousands of assembler runs each write their files: a memory file
        // system keeps that fast where there is one.
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        m_dir = base /
                ("zelo_roundtrip_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Assembles the lines; the image of the HEX records, or nothing with the
    // report in *report.
    std::optional<CodeImage> Assemble(const std::vector<std::string>& lines, ChipModel chip, std::string* report)
    {
        std::string text;
        for (const auto& line : lines) text += line + "\r\n";
        assembler::AssemblerSession session(m_dir, chip);
        session.SetStatisticsEnabled(false);
        session.SetTraceEnabled(false);
        session.SetProgramName("rt");
        session.SetSourceText(text);
        session.AsmAll();
        if (!session.Succeeded()) {
            *report = assembler::testing::ProblemsOf(session);
            return std::nullopt;
        }
        CodeImage image;
        for (const std::string& record : session.HexRecords()) {
            const loader::HexRecord r = loader::ParseHexRecord(record);
            if (r.problem != loader::HexLoadProblem::None || r.type != 0) continue;
            for (int k = 0; k < r.count; ++k) {
                const int v = std::stoi(std::string(r.data.substr(2 * k, 2)), nullptr, 16);
                image.Set(r.address + k, static_cast<uint8_t>(v));
            }
        }
        return image;
    }

    // Disassembles the image, assembles the source and compares both images.
    ::testing::AssertionResult SameAfterRoundTrip(const CodeImage& image, ChipModel chip)
    {
        const auto output = loader::DisassembleImage(image, chip);
        std::string report;
        const auto again = Assemble(output.sourceLines, chip, &report);
        auto dump = [&] {
            std::string all;
            for (const auto& l : output.listingLines) all += l + "\n";
            return all;
        };
        if (!again) return ::testing::AssertionFailure() << "assembly failed:\n" << report << "\n" << dump();
        for (int a = 0; a < loader::kCodeSpace; ++a) {
            if (image.programmed[a] != again->programmed[a] ||
                (image.programmed[a] && image.value[a] != again->value[a])) {
                return ::testing::AssertionFailure()
                       << "cell " << std::hex << a << ": " << int(image.programmed[a]) << "/" << int(image.value[a])
                       << " became " << int(again->programmed[a]) << "/" << int(again->value[a]) << "\n" << dump();
            }
        }
        return ::testing::AssertionSuccess();
    }

    fs::path m_dir;
};

CodeImage ImageOf(int address, const std::vector<uint8_t>& bytes)
{
    CodeImage image;
    for (std::size_t k = 0; k < bytes.size(); ++k) image.Set(address + static_cast<int>(k), bytes[k]);
    return image;
}

// The cases that would break with the plain text forms: register and
// accumulator addresses, an unnamed bit, quotes and ';' in data, FF as code,
// ten local labels in one section, a jump across a called label.
TEST_F(RoundTrip, KnownTrapsComeBackAsTheSameBytes)
{
    const struct {
        const char* what;
        int address;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"MOV 00H,#5 and MOV 0E0H,A", 0, {0x75, 0x00, 0x05, 0xF5, 0xE0, 0xE5, 0xE0, 0x05, 0xE0, 0xC0, 0xE0, 0x85, 0xE0, 0x07}},
        {"unnamed bits", 0, {0xD2, 0xD1, 0xC2, 0xAE, 0xB2, 0xBF, 0xA2, 0xC0, 0x92, 0xFF, 0x72, 0xEA, 0xB0, 0xD9}},
        {"FF loaded as code", 0, {0xFF, 0xFF, 0xFF, 0x00, 0x22}},
        {"leading zeros", 0, {0x00, 0x00, 0x00, 0x22}},
        {"ten local labels", 0, {0x80, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00,
                                 0x80, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0xEA, 0x22}},
        {"jump across a called label", 0x100, {0x00, 0x22, 0x80, 0xFC, 0x12, 0x01, 0x01, 0x70, 0xF7}},
        {"data with quotes", 0, {0x90, 0x00, 0x06, 0x02, 0x00, 0x0E, '\'', ';', '"', ',', 'a', ' ', 0x00, 0xFF, 0x22}},
        {"undefined opcode and a cut instruction", 0, {0xA5, 0x00, 0x12, 0x00}},
        {"jumps into instructions", 0, {0x01, 0x01, 0x80, 0x01, 0x02, 0x00, 0x06, 0x21, 0x05}},
        {"AJMP and ACALL across a 2 KB page", 0x07FC, {0x00, 0x00, 0xF1, 0x00, 0x22}},
        {"code at the top of memory", 0xFFFC, {0x80, 0xFE, 0x00, 0x22}},
    };
    for (const auto& c : cases)
        for (ChipModel chip : {ChipModel::C8051, ChipModel::C8052, ChipModel::C89Cx051})
            EXPECT_TRUE(SameAfterRoundTrip(ImageOf(c.address, c.bytes), chip)) << c.what << " " << core::ChipName(chip);
}

TEST_F(RoundTrip, FullLabelTablesStillGiveASourceThatAssembles)
{
    CodeImage calls;  // 301 LCALLs to distinct targets: more labels than the tables and the EQU table hold
    for (int k = 0; k < 301; ++k) {
        const int target = 0x4000 + k;
        calls.Set(3 * k, 0x12);
        calls.Set(3 * k + 1, static_cast<uint8_t>(target >> 8));
        calls.Set(3 * k + 2, static_cast<uint8_t>(target));
    }
    EXPECT_TRUE(SameAfterRoundTrip(calls, ChipModel::C8051));
    CodeImage jumps;  // 301 relative targets in one section
    for (int k = 0; k < 301; ++k) {
        jumps.Set(2 * k, 0x80);
        jumps.Set(2 * k + 1, 0x00);
    }
    jumps.Set(602, 0x22);
    EXPECT_TRUE(SameAfterRoundTrip(jumps, ChipModel::C8051));
    CodeImage mixed;  // 250 called NOPs and 100 relative targets: 350 labels for a 300-label table
    for (int k = 0; k < 250; ++k) {
        mixed.Set(3 * k, 0x12);
        mixed.Set(3 * k + 1, 0x10);
        mixed.Set(3 * k + 2, static_cast<uint8_t>(k));
        mixed.Set(0x1000 + k, 0x00);
    }
    for (int k = 0; k < 100; ++k) {
        mixed.Set(0x2000 + 2 * k, 0x80);
        mixed.Set(0x2000 + 2 * k + 1, 0x00);
    }
    mixed.Set(0x2000 + 200, 0x22);
    EXPECT_TRUE(SameAfterRoundTrip(mixed, ChipModel::C8051));
    CodeImage longArea = ImageOf(0, {0x90, 0x00, 0x03});  // a data area needing more than 100 DB lines
    for (int a = 3; a < 903; ++a) longArea.Set(a, static_cast<uint8_t>(a % 97 == 0 ? 0xA5 : 0x00));
    EXPECT_TRUE(SameAfterRoundTrip(longArea, ChipModel::C8051));
}

// Targets the label tables leave unnamed are written as addresses the
// assembler reads as numbers ("0C000H", not the name "C000H"); any count of
// DB lines and labels the disassembler writes assembles again.
TEST_F(RoundTrip, AtTheAssemblersLimits)
{
    for (int base : {0x9F00, 0xA000, 0xC000, 0xFE00}) {
        CodeImage calls;  // 301 LCALLs to distinct unprogrammed targets
        for (int k = 0; k < 301; ++k) {
            const int target = base + k;
            calls.Set(3 * k, 0x12);
            calls.Set(3 * k + 1, static_cast<uint8_t>(target >> 8));
            calls.Set(3 * k + 2, static_cast<uint8_t>(target));
        }
        EXPECT_TRUE(SameAfterRoundTrip(calls, ChipModel::C8051)) << std::hex << base;
    }
    // 500 undefined opcodes between NOPs (a DB line each), 300 called
    // routines and 300 relative targets: 600 labels on lines.
    std::string task;
    for (int k = 0; k < 500; ++k) task += std::string("\xA5\x00", 2);
    for (int k = 0; k < 300; ++k) {
        const int target = 0x1000 + k;
        task += {'\x12', static_cast<char>(target >> 8), static_cast<char>(target)};
    }
    for (int k = 0; k < 300; ++k) task += std::string("\x80\x00", 2);  // SJMP to the next line
    task.resize(0x1000, '\x00');
    task += std::string(300, '\x00');
    task += '\x22';
    std::ofstream(m_dir / "big.tsk", std::ios::binary) << task;
    const auto result = loader::DisassembleFile(m_dir / "big.tsk", ChipModel::C8051);
    ASSERT_TRUE(result.ok);
    EXPECT_GE(result.dataLines, 500);
    const auto source = core::ReadTextFile(result.sourcePath);
    ASSERT_TRUE(source.has_value());
    int labels = 0;
    for (const std::string& line : core::SplitLines(*source))
        labels += !line.empty() && line[0] != ' ' && line[0] != ';' &&
                  line.find(" EQU ") == std::string::npos && line.find(" REG ") == std::string::npos;
    EXPECT_GE(labels, 600);
    std::string report;
    const auto image = Assemble(core::SplitLines(*source), ChipModel::C8051, &report);
    ASSERT_TRUE(image.has_value()) << report;
    for (std::size_t a = 0; a < task.size(); ++a)
        ASSERT_EQ(image->value[a], static_cast<uint8_t>(task[a])) << a;
}

TEST_F(RoundTrip, EveryByteValueInADataArea)
{
    std::vector<uint8_t> bytes = {0x90, 0x01, 0x00, 0x02, 0x02, 0x00};
    CodeImage image = ImageOf(0, bytes);
    for (int v = 0; v < 256; ++v) image.Set(0x100 + v, static_cast<uint8_t>(v));
    image.Set(0x200, 0x22);
    EXPECT_TRUE(SameAfterRoundTrip(image, ChipModel::C8051));
}

// Operand bytes for an opcode that keep jumps on instruction starts.
std::vector<uint8_t> Instruction(uint8_t opcode, std::mt19937& rng)
{
    const core::OpcodeRow& row = core::StandardOpcodeTable().Row(opcode);
    std::vector<uint8_t> bytes = {opcode};
    std::uniform_int_distribution<int> any(0, 255);
    for (int k = 1; k < row.bytes; ++k) bytes.push_back(static_cast<uint8_t>(any(rng)));
    return bytes;
}

TEST_F(RoundTrip, EveryOpcodeWithRandomOperandsInEveryPage)
{
    std::mt19937 rng(51);
    for (int page = 0; page < 32; ++page) {
        CodeImage image;
        int address = page * 0x800 + 0x10 * page;
        for (int op = page % 8; op < 256; op += 8) {
            if (op == 0xA5) continue;
            auto bytes = Instruction(static_cast<uint8_t>(op), rng);
            for (uint8_t b : bytes) image.Set(address++, b);
        }
        EXPECT_TRUE(SameAfterRoundTrip(image, static_cast<ChipModel>(page % 3))) << "page " << page;
    }
}

// A random program in a few blocks anywhere in the 64 KB: random
// instructions whose jumps mostly land on instruction starts, MOV DPTR to
// data tables of random bytes, and a jump that closes each table.
CodeImage RandomProgram(std::mt19937& rng)
{
    CodeImage image;
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> percent(0, 99);
    const int blocks = 1 + static_cast<int>(rng() % 3);
    for (int b = 0; b < blocks; ++b) {
        const int base = static_cast<int>(rng() % 32) * 0x800 + static_cast<int>(rng() % 0x700);
        struct Placed {
            int address;
            std::vector<uint8_t> bytes;
        };
        std::vector<Placed> code;
        int address = base;
        const int count = 5 + static_cast<int>(rng() % 40);
        for (int i = 0; i < count; ++i) {
            if (percent(rng) < 8) {  // a data table behind MOV DPTR, closed by a jump target
                const int length = 1 + static_cast<int>(rng() % 24);
                const int table = address + 6;
                code.push_back({address, {0x90, static_cast<uint8_t>(table >> 8), static_cast<uint8_t>(table),
                                          0x02, static_cast<uint8_t>((table + length) >> 8),
                                          static_cast<uint8_t>(table + length)}});
                std::vector<uint8_t> data;
                for (int k = 0; k < length; ++k) data.push_back(static_cast<uint8_t>(byte(rng)));
                code.push_back({table, data});
                address = table + length;
                continue;
            }
            auto bytes = Instruction(static_cast<uint8_t>(byte(rng)), rng);
            if (bytes[0] == 0xA5 && percent(rng) < 70) bytes[0] = 0x00;
            code.push_back({address, bytes});
            address += static_cast<int>(bytes.size());
        }
        // Aim most jumps at instruction starts of the block.
        std::vector<int> starts;
        for (const auto& p : code) starts.push_back(p.address);
        for (auto& p : code) {
            if (percent(rng) < 25) continue;
            const core::OpcodeRow& row = core::StandardOpcodeTable().Row(p.bytes[0]);
            const int target = starts[rng() % starts.size()];
            using core::Mnemonic;
            const Mnemonic m = row.mnemonic;
            if (p.bytes.size() != row.bytes || row.bytes == 0) continue;
            if (m == Mnemonic::LJMP || m == Mnemonic::LCALL) {
                p.bytes[1] = static_cast<uint8_t>(target >> 8);
                p.bytes[2] = static_cast<uint8_t>(target);
            } else if ((m == Mnemonic::AJMP || m == Mnemonic::ACALL) && ((p.address + 2) & 0xF800) == (target & 0xF800)) {
                p.bytes[0] = static_cast<uint8_t>(((target >> 8) & 7) << 5 | (p.bytes[0] & 0x1F));
                p.bytes[1] = static_cast<uint8_t>(target);
            } else if (row.operands[0] == "rel" || row.operands[1] == "rel" || row.operands[2] == "rel") {
                const int offset = target - (p.address + row.bytes);
                if (offset >= -128 && offset <= 127) p.bytes.back() = static_cast<uint8_t>(offset);
            }
        }
        for (const auto& p : code)
            for (std::size_t k = 0; k < p.bytes.size(); ++k)
                if (p.address + static_cast<int>(k) < loader::kCodeSpace) image.Set(p.address + static_cast<int>(k), p.bytes[k]);
    }
    return image;
}

TEST_F(RoundTrip, ThousandsOfRandomPrograms)
{
    std::mt19937 rng(8051);
    for (int n = 0; n < 2000; ++n) {
        const CodeImage image = RandomProgram(rng);
        const auto chip = static_cast<ChipModel>(n % 3);
        ASSERT_TRUE(SameAfterRoundTrip(image, chip)) << "program " << n;
    }
}

TEST_F(RoundTrip, TaskFilesComeBackAsTheSameImage)
{
    std::mt19937 rng(2051);
    for (int n = 0; n < 50; ++n) {
        const CodeImage program = RandomProgram(rng);
        const int end = program.End();
        std::string task(static_cast<std::size_t>(end), '\xFF');
        for (int a = 0; a < end; ++a)
            if (program.programmed[a]) task[a] = static_cast<char>(program.value[a]);
        const CodeImage image = loader::CodeImageFromTask(task);
        const auto output = loader::DisassembleImage(image, ChipModel::C8051);
        std::string report;
        const auto again = Assemble(output.sourceLines, ChipModel::C8051, &report);
        ASSERT_TRUE(again.has_value()) << report;
        int firstDifference = -1;
        for (int a = 0; a < loader::kCodeSpace && firstDifference < 0; ++a) {
            const int before = a < static_cast<int>(task.size()) ? static_cast<uint8_t>(task[a]) : 0xFF;
            const int after = again->programmed[a] ? again->value[a] : 0xFF;
            if (before != after) firstDifference = a;
        }
        ASSERT_EQ(firstDifference, -1) << "program " << n;
    }
}

// Every example program: assembled in a copy of the examples folder (its
// "8051.LIB" serves INCLUDE and .EXTERN), disassembled, assembled again.
TEST_F(RoundTrip, ExamplePrograms)
{
    const fs::path examples = fs::path(ZELO_SOURCE_DIR) / "examples";
    if (!fs::is_directory(examples)) GTEST_SKIP() << "no examples folder";
    const fs::path folder = m_dir / "examples";
    fs::copy(examples, folder, fs::copy_options::recursive);
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".asm") continue;
        for (ChipModel chip : {ChipModel::C8051, ChipModel::C8052}) {
            assembler::AssemblerSession session(folder, chip);
            session.SetStatisticsEnabled(false);
            ASSERT_TRUE(session.LoadAsmFile(entry.path().stem().string())) << entry.path();
            session.AsmAll();
            ASSERT_TRUE(session.Succeeded()) << entry.path() << "\n" << assembler::testing::ProblemsOf(session);
            const auto loaded = loader::LoadImageForDisassembly(*session.HexPath());
            ASSERT_TRUE(loaded.image.has_value()) << entry.path();
            EXPECT_TRUE(SameAfterRoundTrip(*loaded.image, chip)) << entry.path() << " " << core::ChipName(chip);
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

// The differential corpus, assembled by as31 (an independent assembler):
// its HEX files disassembled and assembled again by this workbench.
TEST_F(RoundTrip, DifferentialCorpusAssembledByAs31)
{
    const fs::path corpus = fs::path(ZELO_SOURCE_DIR) / "tests" / "differential" / "programs";
    if (!fs::is_directory(corpus)) GTEST_SKIP() << "no differential corpus";
    if (std::system("command -v as31 >/dev/null 2>&1") != 0) GTEST_SKIP() << "as31 not installed";
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        if (entry.path().extension() != ".asm") continue;
        const fs::path copy = m_dir / entry.path().filename();
        fs::copy_file(entry.path(), copy, fs::copy_options::overwrite_existing);
        const std::string command = "cd '" + m_dir.string() + "' && as31 '" + copy.filename().string() + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << entry.path();
        fs::path hex = copy;
        hex.replace_extension(".hex");
        const auto loaded = loader::LoadImageForDisassembly(hex);
        ASSERT_TRUE(loaded.image.has_value()) << entry.path();
        const auto& image = loaded.image;
        const auto text = core::ReadTextFile(entry.path());
        const bool is8052 = text && text->find("; chip: 8052") != std::string::npos;
        EXPECT_TRUE(SameAfterRoundTrip(*image, is8052 ? ChipModel::C8052 : ChipModel::C8051)) << entry.path();
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
}  // namespace zelo
