// The texts made from what the loaders found: every reason has its caption
// or message, word for word.
#include "app/load_texts.h"

#include <gtest/gtest.h>

namespace zelo::app {
namespace {

using loader::DisassemblyFileResult;
using loader::DisassemblyProblem;
using loader::HexLoadProblem;
using loader::HexLoadResult;

HexLoadResult Problem(HexLoadProblem problem, int lines, int line, int type = 0,
                      const char* base = "")
{
    HexLoadResult r;
    r.problem = problem;
    r.lineCount = lines;
    r.problemLine = line;
    r.recordType = type;
    r.recordBase = base;
    r.fileName = "p.hex";
    return r;
}

HexLoadResult Stored(int lines, int bytes, bool endRecord)
{
    HexLoadResult r;
    r.recordsStored = true;
    r.lineCount = lines;
    r.bytesLoaded = bytes;
    r.endRecord = endRecord;
    return r;
}

HexLoadResult Viewing(int lines, int line, const char* text, HexLoadResult r = {})
{
    r.lineCount = lines;
    r.viewer = loader::HexViewerLine{line, text};
    return r;
}

TEST(LoadTexts, HexFileCaptionOfEveryReason)
{
    const struct
    {
        HexLoadResult result;
        const char* caption;  // nullptr: the caption stays
    } cases[] = {
        {Problem(HexLoadProblem::WrongFormat, 4, 2),
         "HexFile has 4 lines  ==>  Line2 has wrong format"},
        {Problem(HexLoadProblem::WrongChecksum, 3, 2),
         "HexFile has 3 lines  ==>  Line2 has wrong checksum"},
        {Problem(HexLoadProblem::UnsupportedType, 3, 2, 3),
         "HexFile has 3 lines  ==>  Line2 has unsupported record type 03"},
        {Problem(HexLoadProblem::UnsupportedType, 3, 2, 4, "0001"),
         "HexFile has 3 lines  ==>  Line2 has unsupported record type 04 with base 0001"},
        {Problem(HexLoadProblem::PastEnd, 2, 2),
         "HexFile has 2 lines  ==>  Line2 reaches past FFFFH"},
        {Problem(HexLoadProblem::TooManyLines, 4001, 0),
         "HexFile has 4001 lines  ==>  more than 4000 lines cannot be loaded"},
        {Problem(HexLoadProblem::TooLarge, 0, 0),
         "p.hex is larger than 4000 lines of HEX records and cannot be loaded"},
        {Problem(HexLoadProblem::MissingFile, 0, 0), "p.hex doesn't  exist."},
        {Problem(HexLoadProblem::NoProgram, 0, 0), nullptr},
        {Stored(0, 0, false), "HexFile has 0 lines  ==>  0 bytes loaded: no records"},
        {Stored(1, 0, true), "HexFile has 1 lines  ==>  0 bytes loaded: only the end record"},
        {Stored(1, 3, false), "HexFile has 1 lines  ==>  no end record; 3 bytes loaded"},
        {Stored(2, 3, true), nullptr},
        {Viewing(12, 7, ":020000000102FB"), "HexFile has 12 lines  ==>  Line7    CheckSum=0100"},
        {Viewing(2, 2, "junk"), "HexFile has 2 lines  ==>  Line2 has wrong format"},
        // The load's own report wins over the viewer's line.
        {Viewing(3, 3, ":00000001FF", Stored(3, 0, true)),
         "HexFile has 3 lines  ==>  0 bytes loaded: only the end record"},
        {Viewing(3, 3, ":00000001FF", Stored(3, 5, true)),
         "HexFile has 3 lines  ==>  Line3    CheckSum=0100"},
    };
    for (const auto& c : cases) {
        const auto caption = HexFileCaption(c.result);
        EXPECT_EQ(caption.value_or("(stays)"), c.caption ? c.caption : "(stays)");
    }
    EXPECT_EQ(AsmFileCaptionAfterLoad(Problem(HexLoadProblem::NoProgram, 0, 0)).value_or(""),
              "AsmFile : No file exist");
    EXPECT_FALSE(AsmFileCaptionAfterLoad(Problem(HexLoadProblem::MissingFile, 0, 0)).has_value());
    EXPECT_EQ(HexLoadFailure(Problem(HexLoadProblem::NoProgram, 0, 0)), "AsmFile : No file exist");
}

// Damaged lines are cut where they end, never read past.
TEST(LoadTexts, ViewerShowsTheFieldsAndTheByteSum)
{
    const struct
    {
        const char* line;
        const char* text;
        const char* sum;
    } cases[] = {
        {":03000000020030CB", ":  03  0000   00   020030   CB", "0100"},
        {":03000000020030CC", ":  03  0000   00   020030   CC", "0101"},  // wrong checksum
        {":00000001FF", ":  00  0000   01      FF", "0100"},
        {":030000", ":  03  0000         ", "0003"},  // short line: empty pieces
        {":", ":             ", "0000"},
        {":FF0000", ":  FF  0000         ", "00FF"},
        {":zz", ":  zz           ", "0000"},
    };
    for (const auto& c : cases) {
        const loader::HexViewerLine line{1, c.line};
        EXPECT_EQ(HexViewerText(line).value_or("?"), c.text) << c.line;
        EXPECT_EQ(HexFileCaption(Viewing(1, 1, c.line)).value_or(""),
                  std::string("HexFile has 1 lines  ==>  Line1    CheckSum=") + c.sum);
    }
    EXPECT_FALSE(HexViewerText({2, "junk"}).has_value());
}

TEST(LoadTexts, RomRowsShowCodeMemoryFrom0000To0FFF)
{
    core::CpuState cpu;
    cpu.codeMemory[0] = core::HexCell::FromText("02");
    cpu.codeMemory[2] = core::HexCell::FromText("30");
    const auto rows = RomRows(cpu);
    ASSERT_EQ(rows.size(), 256u);
    EXPECT_EQ(rows[0].substr(0, 18), "0000  02 xx 30 xx ");
    EXPECT_EQ(rows[255].substr(0, 6), "0FF0  ");
    EXPECT_EQ(rows[0].size(), 6u + 16 * 3 - 1);
}

TEST(LoadTexts, DisassemblyMessagesAndNotes)
{
    auto result = [](DisassemblyProblem problem) {
        DisassemblyFileResult r;
        r.problem = problem;
        r.fileName = "p.hex";
        r.detail = "disk full";
        r.dataLines = 101;
        r.hex = Problem(HexLoadProblem::WrongChecksum, 3, 2);
        return r;
    };
    const std::pair<DisassemblyProblem, const char*> failures[] = {
        {DisassemblyProblem::NotHexOrTask, "p.hex is not a .hex or .tsk file."},
        {DisassemblyProblem::MissingFile, "p.hex doesn't  exist."},
        {DisassemblyProblem::BadHex, "p.hex: HexFile has 3 lines  ==>  Line2 has wrong checksum"},
        {DisassemblyProblem::TaskTooLarge, "p.hex is larger than 64 KB and is not a task file."},
        {DisassemblyProblem::Unreadable, "p.hex cannot be read: disk full"},
        {DisassemblyProblem::NotWritten, "The disassembly could not be written: disk full"},
    };
    for (const auto& [problem, message] : failures)
        EXPECT_EQ(DisassemblyFailure(result(problem)), message);

    DisassemblyFileResult written = result(DisassemblyProblem::None);
    written.ok = true;
    written.hex = Stored(1, 3, false);
    written.notes = {loader::DisassemblyNote::DataAreasFull};
    EXPECT_EQ(DisassemblyNotes(written),
              (std::vector<std::string>{
                  "p.hex has no end record; the 3 bytes before the end of the file were "
                  "disassembled.",
                  "More than 20 DPTR data areas: later areas are disassembled as code."}));
    written.noCode = true;
    EXPECT_EQ(DisassemblyNotes(written).front(), "p.hex holds no code: 0 bytes loaded.");
    EXPECT_EQ(DisassemblyAsmFileCaption(written).value_or(""), "編輯ASMList : No file exist");
    written.listingReadBack = true;
    EXPECT_FALSE(DisassemblyAsmFileCaption(written).has_value());

    using loader::DisassemblyNote;
    const std::pair<DisassemblyNote, const char*> notes[] = {
        {DisassemblyNote::CodeLabelsFull,
         "The Addr16 label table is full (300 labels): later targets are written as addresses or "
         "bytes."},
        {DisassemblyNote::DptrLabelsFull,
         "The DPTR label table is full (20 labels): later DPTR values get no label and no data "
         "area."},
        {DisassemblyNote::RelativeLabelsFull,
         "The relative label table is full (300 labels): later relative jumps are written as "
         "bytes."},
    };
    for (const auto& [note, text] : notes) EXPECT_EQ(DisassemblyNoteText(note), text);
}

}  // namespace
}  // namespace zelo::app
