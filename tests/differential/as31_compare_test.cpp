// This assembler against as31 (an independent assembler, run as a black box):
// a corpus of sources covering every instruction form and the number forms
// both accept is assembled by each, and the loaded byte images are compared
// address by address. Skipped when as31 is not installed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "app/assembly_texts.h"
#include "asm/assembler_session.h"
#include "core/hex_text.h"
#include "core/text_file.h"

namespace fs = std::filesystem;

namespace {

bool As31Available()
{
    return std::system("command -v as31 >/dev/null 2>&1") == 0;
}

using Image = std::map<int, int>;

// Bytes of an Intel HEX text by address.
Image ReadHexImage(const std::string& text)
{
    Image image;
    for (const std::string& line : zelo::core::SplitLines(text)) {
        if (line.size() < 11 || line[0] != ':') continue;
        const int count = zelo::core::ParseHexByteValue(line.substr(1, 2));
        const int address = zelo::core::ParseHexWord(line.substr(3, 4));
        if (line.substr(7, 2) != "00") continue;
        for (int k = 0; k < count; ++k)
            image[address + k] = zelo::core::ParseHexByteValue(line.substr(9 + 2 * k, 2));
    }
    return image;
}

std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One source body written for both assemblers: statements are shared, the
// directives differ (ORG/DB/DW/END against .org/.db/.dw/.end).
struct Corpus
{
    std::vector<std::string>
        lines;  // "\tSTATEMENT" or "LABEL:\tSTATEMENT", directives in upper case

    std::string ForThisAssembler() const
    {
        std::string s;
        for (const auto& l : lines) s += l + "\n";
        return s + "\tEND\n";
    }
    std::string ForAs31() const
    {
        std::string s;
        for (std::string l : lines) {
            for (const auto& [from, to] :
                 {std::pair{"\tORG ", "\t.org "}, std::pair{"\tDB ", "\t.db "},
                  std::pair{"\tDW ", "\t.dw "}}) {
                if (auto at = l.find(from); at != std::string::npos)
                    l.replace(at, std::string(from).size(), to);
            }
            s += l + "\n";
        }
        return s + "\t.end\n";
    }
};

class As31Compare : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!As31Available()) GTEST_SKIP() << "as31 is not installed";
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zelo_as31_" + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        if (!m_dir.empty()) fs::remove_all(m_dir, ec);
    }

    void Compare(const Corpus& corpus, const std::string& name)
    {
        zelo::assembler::AssemblerSession session(m_dir);
        session.SetProgramName(name);
        session.SetSourceText(corpus.ForThisAssembler());
        session.AsmAll();
        ASSERT_TRUE(session.Succeeded())
            << zelo::app::AssemblyReport(session.Result(), session.Outcome());
        const Image ours = ReadHexImage(ReadFile(m_dir / (name + ".hex")));

        const fs::path source = m_dir / (name + "_as31.asm");
        const fs::path hex = m_dir / (name + "_as31.hex");
        {
            std::ofstream out(source, std::ios::binary);
            out << corpus.ForAs31();
        }
        const std::string command =
            "as31 -Fhex -O" + hex.string() + " " + source.string() + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "as31 rejected the corpus " << name;
        const Image theirs = ReadHexImage(ReadFile(hex));

        ASSERT_FALSE(ours.empty());
        EXPECT_EQ(ours.size(), theirs.size()) << name;
        for (const auto& [address, value] : ours) {
            const auto it = theirs.find(address);
            ASSERT_NE(it, theirs.end())
                << name << ": as31 has no byte at " << zelo::core::ToHexWord(address);
            EXPECT_EQ(value, it->second) << name << " at " << zelo::core::ToHexWord(address);
        }
    }

    fs::path m_dir;
};

TEST_F(As31Compare, EveryInstructionForm)
{
    std::ifstream in(std::string(ZELO_SOURCE_DIR) + "/tests/unit/asm/data/opcode_forms.txt");
    Corpus corpus;
    corpus.lines.push_back("\tORG 0");
    std::string line;
    int index = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#' || line[0] == '!')
            continue;  // '!': forms as31 does not take
        std::string source = line.substr(0, line.find(" | "));
        const std::string label = "L" + std::to_string(index++);
        if (auto at = source.find("@@"); at != std::string::npos) {
            corpus.lines.push_back(label + ":\t" + source.replace(at, 2, label));
        } else {
            corpus.lines.push_back("\t" + source);
        }
    }
    ASSERT_GT(corpus.lines.size(), 250u);
    Compare(corpus, "forms");
}

TEST_F(As31Compare, NumberFormsAndAddresses)
{
    Corpus corpus;
    corpus.lines.push_back("\tORG 0");
    auto hex = [](int v) {
        std::string h = zelo::core::ToHexByte(v);
        return (h[0] >= 'A' ? "0" : "") + h + "H";
    };
    auto bin = [](int v) {
        std::string b;
        for (int k = 7; k >= 0; --k) b += ((v >> k) & 1) ? '1' : '0';
        return b + "B";
    };
    for (int v = 0; v < 256; v += 5) {
        corpus.lines.push_back("\tMOV A,#" + std::to_string(v));
        corpus.lines.push_back("\tMOV R3,#" + hex(v));
        corpus.lines.push_back("\tADD A,#" + bin(v));
        corpus.lines.push_back("\tMOV " + hex(v) + ",A");
        corpus.lines.push_back("\tSETB " + hex(v));
    }
    for (int v = 0; v < 0x10000; v += 0x1357)
        corpus.lines.push_back("\tMOV DPTR,#" + std::to_string(v));
    for (char c = '0'; c <= 'z'; c += 3)
        corpus.lines.push_back(std::string("\tMOV A,#'") + c + "'");
    for (int b = 0; b < 8; ++b) {
        corpus.lines.push_back("\tCPL 2" + std::to_string(b) + "H." + std::to_string(b));
        corpus.lines.push_back("\tMOV C,ACC." + std::to_string(b));
        corpus.lines.push_back("\tMOV P3." + std::to_string(b) + ",C");
    }
    Compare(corpus, "numbers");
}

TEST_F(As31Compare, DataJumpsAndOrgRuns)
{
    Corpus corpus;
    corpus.lines = {"\tORG 0",
                    "\tLJMP MAIN",
                    "\tORG 0BH",
                    "\tRETI",
                    "\tORG 30H",
                    "MAIN:\tMOV DPTR,#TABLE",
                    "BACK:\tACALL SUB",
                    "\tLCALL FAR",
                    "\tCJNE A,#3,BACK",
                    "\tDJNZ R7,BACK",
                    "\tJNB TI,BACK",
                    "\tSJMP MAIN",
                    "SUB:\tMOVC A,@A+DPTR",
                    "\tRET",
                    "TABLE:\tDB 1,2,0FFH,'A',\"BC\",255",
                    "WORDS:\tDW TABLE,1234H,MAIN,0",
                    "\tORG 0800H",
                    "FAR:\tAJMP FAR2",
                    "FAR2:\tRET"};
    Compare(corpus, "data");
}

}  // namespace
