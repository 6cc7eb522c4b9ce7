// Whole listings of small programs: labels, declarations, data areas and the
// three line layouts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/text_file.h"
#include "loader/disassemble_file.h"

namespace zelo::loader {
namespace {

namespace fs = std::filesystem;

struct Chunk {
    int address;
    std::vector<uint8_t> bytes;
};

CodeImage ImageOf(const std::vector<Chunk>& chunks)
{
    CodeImage image;
    for (const Chunk& c : chunks)
        for (std::size_t k = 0; k < c.bytes.size(); ++k) image.Set(c.address + static_cast<int>(k), c.bytes[k]);
    return image;
}

std::vector<std::string> Listing(const std::vector<Chunk>& chunks, core::ChipModel chip = core::ChipModel::C8051)
{
    std::vector<std::string> lines = DisassembleImage(ImageOf(chunks), chip).listingLines;
    for (auto& line : lines)
        while (!line.empty() && line.back() == ' ') line.pop_back();  // the goldens keep no trailing blanks
    return lines;
}

TEST(DisassemblerGolden, OneLcallGivesOneAddr16LineAndLabelsItsTarget)
{
    const std::vector<std::string> expected = {
        "                  ;----- Addr16 declare -----",
        "                  LCALL:1   EQU   0123H ; 1",
        "    1 0000                  ORG   0000H",
        "    2 0000 120123           LCALL LCALL:1",
        "    3 0003 80FE   $1        SJMP  $1",
        "    4 0123                  ORG   0123H",
        "    5 0123 22     LCALL:1   RET",
    };
    EXPECT_EQ(Listing({{0, {0x12, 0x01, 0x23, 0x80, 0xFE}}, {0x123, {0x22}}}), expected);
}

TEST(DisassemblerGolden, DeclarationAndOrgLinesArePaddedToFiftyAndTheSourceDropsTheFirst18)
{
    const auto out = DisassembleImage(ImageOf({{0, {0x12, 0x01, 0x23}}, {0x123, {0x22}}}), core::ChipModel::C8051);
    ASSERT_EQ(out.listingLines.size(), out.sourceLines.size());
    EXPECT_EQ(out.listingLines[0], std::string(18, ' ') + ";----- Addr16 declare -----  ");
    EXPECT_EQ(out.listingLines[1].size(), 50u);
    EXPECT_EQ(out.listingLines[2].size(), 50u);  // ORG
    EXPECT_EQ(out.sourceLines[0], ";----- Addr16 declare -----  ");
    EXPECT_EQ(out.sourceLines[1], "LCALL:1   EQU   0123H ; 1       ");
    EXPECT_EQ(out.sourceLines[3], "          LCALL LCALL:1");
    EXPECT_EQ(out.sourceLines[5], "LCALL:1   RET");
    for (std::size_t i = 0; i < out.listingLines.size(); ++i)
        EXPECT_EQ(out.listingLines[i].substr(18), out.sourceLines[i]);
}

std::vector<uint8_t> ShortJumpsToNext(int count)
{
    std::vector<uint8_t> bytes;
    for (int k = 0; k < count; ++k) bytes.insert(bytes.end(), {0x80, 0x00});
    return bytes;
}

TEST(DisassemblerGolden, TenRelativeTargetsInOneSectionKeepTheirNamesUnique)
{
    auto bytes = ShortJumpsToNext(10);
    bytes.push_back(0x22);
    const auto lines = Listing({{0, bytes}});
    const char* labels[] = {"$1", "$2", "$3", "$4", "$5", "$6", "$7", "$8", "$0", "$10"};
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[1], "    2 0000 8000             SJMP  $1");
    for (int k = 0; k < 10; ++k) {
        const std::string label = labels[k];
        EXPECT_EQ(lines[k + 2].substr(18, 10), label + std::string(10 - label.size(), ' ')) << k;
        if (k < 9) {
            EXPECT_EQ(lines[k + 2].substr(34), labels[k + 1]) << k;
        }
    }
}

TEST(DisassemblerGolden, TenRelativeTargetsAcrossTwoSectionsCycleBackToDollarOne)
{
    auto bytes = ShortJumpsToNext(9);
    bytes.insert(bytes.end(), {0x00, 0x00, 0x80, 0x00, 0x12, 0x00, 0x13, 0x22});
    const std::vector<std::string> expected = {
        "                  ;----- Addr16 declare -----",
        "                  LCALL:1   EQU   0013H ; 1",
        "    1 0000                  ORG   0000H",
        "    2 0000 8000             SJMP  $1",
        "    3 0002 8000   $1        SJMP  $2",
        "    4 0004 8000   $2        SJMP  $3",
        "    5 0006 8000   $3        SJMP  $4",
        "    6 0008 8000   $4        SJMP  $5",
        "    7 000A 8000   $5        SJMP  $6",
        "    8 000C 8000   $6        SJMP  $7",
        "    9 000E 8000   $7        SJMP  $8",
        "   10 0010 8000   $8        SJMP  $0",
        "   11 0012 00     $0        NOP",
        "   12 0013 00     LCALL:1   NOP",
        "   13 0014 8000             SJMP  $1",
        "   14 0016 120013 $1        LCALL LCALL:1",
        "   15 0019 22               RET",
    };
    EXPECT_EQ(Listing({{0, bytes}}), expected);
}

TEST(DisassemblerGolden, ARelativeTargetInAnotherSectionGetsAnOrdinaryLabel)
{
    // NOP / RET (called) / SJMP back to the NOP across the called label.
    const std::vector<std::string> expected = {
        "                  ;----- Addr16 declare -----",
        "                  LCALL:1   EQU   0001H ; 1",
        "                  SJMP:2    EQU   0000H ; 1",
        "    1 0000                  ORG   0000H",
        "    2 0000 00     SJMP:2    NOP",
        "    3 0001 22     LCALL:1   RET",
        "    4 0002 80FC             SJMP  SJMP:2",
        "    5 0004 120001           LCALL LCALL:1",
    };
    EXPECT_EQ(Listing({{0, {0x00, 0x22, 0x80, 0xFC, 0x12, 0x00, 0x01}}}), expected);
}

TEST(DisassemblerGolden, ARelativeJumpFromALabelledLineGetsAnOrdinaryTarget)
{
    // LCALL 0003 / RET / at 0003 (called): JNZ 0006 / at 0006 RET
    const auto lines = Listing({{0, {0x12, 0x00, 0x03, 0x70, 0x01, 0x00, 0x22}}});
    EXPECT_EQ(lines.back(), "    5 0006 22     JNZ:2     RET");
    EXPECT_EQ(lines[lines.size() - 3], "    3 0003 7001   LCALL:1   JNZ   JNZ:2");
}

TEST(DisassemblerGolden, DptrAreaIsWrittenAsDataWithPrintableBytesQuoted)
{
    std::vector<uint8_t> data(std::begin("Hello;' "), std::end("Hello;' ") - 1);
    data.insert(data.end(), {0x00, 0x41, 0x7E, 0x7F, 0x80, 0xFE});
    const std::vector<std::string> expected = {
        "                  ;----- Addr16 declare -----",
        "                  LJMP:1    EQU   020CH ; 1",
        "                  ;-----  DPTR declare  -----",
        "                  DPTR:1    EQU   0200H ; 1",
        "    1 0000                  ORG   0000H",
        "    2 0000 900200           MOV   DPTR,#0200H",
        "    3 0003 02020C           LJMP  LJMP:1",
        "    4 0200                  ORG   0200H",
        "    5 0200                  DB    'H','e','l','l','o',3BH,27H,20H",
        "    6 0208                  DB    00H,'A','~',7FH",
        "    7 020C 80FE   LJMP:1    SJMP  LJMP:1",
    };
    EXPECT_EQ(Listing({{0, {0x90, 0x02, 0x00, 0x02, 0x02, 0x0C}}, {0x200, data}}), expected);
}

TEST(DisassemblerGolden, DeclarationSectionsListOnlyValuesUsedMoreThanOnce)
{
    const std::vector<std::string> expected = {
        "                  ;----- Const declare  -----",
        "                  Const:1   EQU   05H   ; 3",
        "                  ;----- Regist declare -----",
        "                  Reg:1     EQU   30H   ; 3",
        "                  Reg:2     EQU   E0H   ; 2",
        "                  ;-----  Bit declare   -----",
        "                  Bit:1     REG   TR0   ; 2",
        "                  Bit:2     REG   PSW.1 ; 2",
        "    1 0000                  ORG   0000H",
        "    2 0000 7405             MOV   A,#05H",
        "    3 0002 7405             MOV   A,#05H",
        "    4 0004 F530             MOV   30H,A",
        "    5 0006 F530             MOV   30H,A",
        "    6 0008 D28C             SETB  TR0",
        "    7 000A D28C             SETB  TR0",
        "    8 000C D2D1             SETB  PSW.1",
        "    9 000E C2D1             CLR   PSW.1",
        "   10 0010 750005           MOV   00H,#05H",
        "   11 0013 F5E0             MOV   E0H,A",
        "   12 0015 E5E0             MOV   A,E0H",
        "   13 0017 853031           MOV   31H,30H",
        "   14 001A                  DB    A5H,02H",
    };
    EXPECT_EQ(Listing({{0, {0x74, 0x05, 0x74, 0x05, 0xF5, 0x30, 0xF5, 0x30, 0xD2, 0x8C, 0xD2, 0x8C, 0xD2, 0xD1,
                            0xC2, 0xD1, 0x75, 0x00, 0x05, 0xF5, 0xE0, 0xE5, 0xE0, 0x85, 0x30, 0x31, 0xA5, 0x02}}}),
              expected);
}

TEST(DisassemblerGolden, JumpsIntoTheMiddleOfAnInstructionAreWrittenAsBytes)
{
    // AJMP 0001 lands inside itself and SJMP 0005 inside the LJMP: both are
    // written as bytes, and the byte at 0001 then starts a line for its label.
    // The LJMP to 0006 (no line there) keeps its declared name.
    const std::vector<std::string> expected = {
        "                  ;----- Addr16 declare -----",
        "                  AJMP:1    EQU   0001H ; 1",
        "                  LJMP:2    EQU   0006H ; 1",
        "    1 0000                  ORG   0000H",
        "    2 0000                  DB    01H",
        "    3 0001        AJMP:1    DB    01H,80H,01H",
        "    4 0004 020006           LJMP  LJMP:2",
    };
    EXPECT_EQ(Listing({{0, {0x01, 0x01, 0x80, 0x01, 0x02, 0x00, 0x06}}}), expected);
}

TEST(DisassemblerGolden, LoadedFFAndLeadingZerosOfAHexFileAreCodeAndUnloadedCellsAreSkipped)
{
    const std::vector<std::string> expected = {
        "    1 0000                  ORG   0000H",
        "    2 0000 00               NOP",
        "    3 0001 FF               MOV   R7,A",
        "    4 0002 FF               MOV   R7,A",
        "    5 0010                  ORG   0010H",
        "    6 0010 22               RET",
    };
    EXPECT_EQ(Listing({{0, {0x00, 0xFF, 0xFF}}, {0x10, {0x22}}}), expected);
}

class DisassembleFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("zelo_dis_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(m_dir / name, std::ios::binary) << bytes;
    }
    fs::path m_dir;
};

TEST_F(DisassembleFileTest, HexEndingBefore1000HStopsAtItsLastByte)
{
    Write("prog.hex", ":0500000012000580FE66\r\n:0100050022D8\r\n:00000001FF\r\n");
    const auto result = DisassembleFile(m_dir / "prog.hex", core::ChipModel::C8051);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.disassemblyName, "prog");
    EXPECT_EQ(result.listingPath, m_dir / "progDis.lst");
    const auto source = core::ReadTextFile(m_dir / "progDis.asm");
    ASSERT_TRUE(source.has_value());
    const auto lines = core::SplitLines(*source);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "LCALL:1   RET");
    EXPECT_EQ(result.listingText.find("FF "), std::string::npos);
    EXPECT_NE(result.listingText.find("\r\n"), std::string::npos);
    EXPECT_TRUE(result.listingReadBack);
}

TEST_F(DisassembleFileTest, TaskFileIsReadFromAddressZero)
{
    Write("t.TSK", std::string("\x02\x00\x05\xFF\xFF\x22", 6));
    const auto result = DisassembleFile(m_dir / "t.TSK", core::ChipModel::C8051);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(fs::exists(m_dir / "tDis.lst"));
    EXPECT_NE(result.listingText.find("    3 0003 FF               MOV   R7,A"), std::string::npos);
    EXPECT_NE(result.listingText.find("LJMP:1    RET"), std::string::npos);
}

TEST_F(DisassembleFileTest, BadInputIsRefusedWithAMessageAndWritesNothing)
{
    Write("big.tsk", std::string(0x10001, '\0'));
    Write("bad.hex", ":0300000002003000\r\n");
    Write("x.bin", "abc");
    const struct {
        const char* name;
        DisassemblyProblem problem;
    } cases[] = {
        {"none.hex", DisassemblyProblem::MissingFile},   {"none.tsk", DisassemblyProblem::MissingFile},
        {"big.tsk", DisassemblyProblem::TaskTooLarge},   {"bad.hex", DisassemblyProblem::BadHex},
        {"x.bin", DisassemblyProblem::NotHexOrTask},
    };
    for (const auto& c : cases) {
        const auto result = DisassembleFile(m_dir / c.name, core::ChipModel::C8051);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_EQ(result.problem, c.problem) << c.name;
        EXPECT_EQ(result.fileName, c.name);
    }
    for (const auto& entry : fs::directory_iterator(m_dir))
        EXPECT_EQ(entry.path().string().find("Dis."), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace zelo::loader
