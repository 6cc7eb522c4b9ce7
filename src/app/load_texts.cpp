#include "app/load_texts.h"

#include "core/ascii_text.h"
#include "core/hex_text.h"

namespace zelo::app {

namespace {

using loader::HexLoadProblem;

std::string LineCountPrefix(int count)
{
    return "HexFile has " + std::to_string(count) + " lines  ==>  ";
}

std::string LinePrefix(int count, int line)
{
    return LineCountPrefix(count) + "Line" + std::to_string(line);
}

bool IsRecordLine(const std::string& line)
{
    return !line.empty() && line[0] == ':';
}

// The viewer line's caption: its byte sum, or that it is no record.
std::string ViewerCaption(int count, const loader::HexViewerLine& line)
{
    if (!IsRecordLine(line.text)) return LinePrefix(count, line.number) + " has wrong format";
    const std::string_view r = std::string_view(line.text).substr(1);
    unsigned sum = 0;
    for (std::size_t at = 0; at + 1 < r.size(); at += 2) {
        const int hi = core::HexDigitAnyCase(r[at]);
        const int lo = core::HexDigitAnyCase(r[at + 1]);
        sum += static_cast<unsigned>(16 * (hi < 0 ? 0 : hi) + (lo < 0 ? 0 : lo));
    }
    return LinePrefix(count, line.number) + "    CheckSum=" + core::ToHexWord(sum);
}

}  // namespace

std::optional<std::string> HexFileCaption(const loader::HexLoadResult& r)
{
    const std::string prefix = LinePrefix(r.lineCount, r.problemLine);
    switch (r.problem) {
        case HexLoadProblem::NoProgram:
            return std::nullopt;
        case HexLoadProblem::MissingFile:
            return r.fileName + " doesn't  exist.";
        case HexLoadProblem::TooLarge:
            return r.fileName + " is larger than " + std::to_string(loader::kMaxHexLines) +
                   " lines of HEX records and cannot be loaded";
        case HexLoadProblem::TooManyLines:
            return LineCountPrefix(r.lineCount) + "more than " +
                   std::to_string(loader::kMaxHexLines) + " lines cannot be loaded";
        case HexLoadProblem::WrongFormat:
            return prefix + " has wrong format";
        case HexLoadProblem::WrongChecksum:
            return prefix + " has wrong checksum";
        case HexLoadProblem::PastEnd:
            return prefix + " reaches past FFFFH";
        case HexLoadProblem::UnsupportedType: {
            std::string caption =
                prefix + " has unsupported record type " + core::ToHexByte(r.recordType);
            if (r.recordType == 2 || r.recordType == 4) caption += " with base " + r.recordBase;
            return caption;
        }
        case HexLoadProblem::None:
            break;
    }
    // A file that loads nothing, or that was cut before its end record,
    // says so: the window would otherwise show an empty or partial program
    // as a good load.
    if (r.recordsStored && r.bytesLoaded == 0)
        return LineCountPrefix(r.lineCount) +
               "0 bytes loaded: " + (r.endRecord ? "only the end record" : "no records");
    if (r.recordsStored && !r.endRecord)
        return LineCountPrefix(r.lineCount) + "no end record; " + std::to_string(r.bytesLoaded) +
               " bytes loaded";
    if (r.viewer) return ViewerCaption(r.lineCount, *r.viewer);
    return std::nullopt;
}

std::optional<std::string> AsmFileCaptionAfterLoad(const loader::HexLoadResult& r)
{
    if (r.problem == HexLoadProblem::NoProgram) return kNoProgramCaption;
    return std::nullopt;
}

std::string HexLoadFailure(const loader::HexLoadResult& r)
{
    return HexFileCaption(r).value_or(AsmFileCaptionAfterLoad(r).value_or("cannot be loaded"));
}

std::optional<std::string> HexViewerText(const loader::HexViewerLine& line)
{
    if (!IsRecordLine(line.text)) return std::nullopt;
    const std::string_view r = std::string_view(line.text).substr(1);
    // Mid$-like pieces: 1-based start, clipped to the line.
    auto mid = [&r](std::size_t start, std::size_t length) {
        return start - 1 >= r.size() ? std::string_view() : r.substr(start - 1, length);
    };
    const std::size_t n =
        static_cast<std::size_t>(core::ParseHexByteValue(core::ToUpperAscii(mid(1, 2))));
    std::string text = ":  ";
    text += mid(1, 2);
    text += "  ";
    text += mid(3, 4);
    text += "   ";
    text += mid(7, 2);
    text += "   ";
    text += mid(9, 2 * n);
    text += "   ";
    text += mid(9 + 2 * n, 2);
    return text;
}

std::vector<std::string> RomRows(const core::CpuState& cpu)
{
    constexpr int kRomRowCount = 256;
    std::vector<std::string> rows;
    rows.reserve(kRomRowCount);
    for (int r = 0; r < kRomRowCount; ++r) {
        std::string row = core::ToHexWord(static_cast<unsigned>(16 * r));
        row += ' ';
        for (int c = 0; c < 16; ++c) {
            row += ' ';
            row += cpu.codeMemory[static_cast<std::size_t>(16 * r + c)].Text();
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string DisassemblyFailure(const loader::DisassemblyFileResult& r)
{
    using loader::DisassemblyProblem;
    const std::string& name = r.fileName;
    switch (r.problem) {
        case DisassemblyProblem::NotHexOrTask:
            return name + " is not a .hex or .tsk file.";
        case DisassemblyProblem::MissingFile:
            return name + " doesn't  exist.";
        case DisassemblyProblem::BadHex:
            if (const auto caption = HexFileCaption(r.hex)) return name + ": " + *caption;
            if (const auto caption = AsmFileCaptionAfterLoad(r.hex)) return name + ": " + *caption;
            return name + " has wrong format";
        case DisassemblyProblem::TaskTooLarge:
            return name + " is larger than 64 KB and is not a task file.";
        case DisassemblyProblem::Unreadable:
            return name + " cannot be read: " + r.detail;
        case DisassemblyProblem::NotWritten:
            return "The disassembly could not be written: " + r.detail;
        case DisassemblyProblem::None:
            break;
    }
    return {};
}

std::string DisassemblyNoteText(loader::DisassemblyNote note)
{
    using loader::DisassemblyNote;
    switch (note) {
        case DisassemblyNote::CodeLabelsFull:
            return "The Addr16 label table is full (" + std::to_string(loader::kCodeLabelLimit) +
                   " labels): later targets are written as addresses or bytes.";
        case DisassemblyNote::DptrLabelsFull:
            return "The DPTR label table is full (" + std::to_string(loader::kDptrLabelLimit) +
                   " labels): later DPTR values get no label and no data area.";
        case DisassemblyNote::RelativeLabelsFull:
            return "The relative label table is full (" +
                   std::to_string(loader::kRelativeLabelLimit) +
                   " labels): later relative jumps are written as bytes.";
        case DisassemblyNote::DataAreasFull:
            return "More than " + std::to_string(loader::kDataAreaLimit) +
                   " DPTR data areas: later areas are disassembled as code.";
    }
    return {};
}

std::vector<std::string> DisassemblyNotes(const loader::DisassemblyFileResult& r)
{
    std::vector<std::string> notes;
    if (r.noCode)
        notes.push_back(r.fileName + " holds no code: 0 bytes loaded.");
    else if (!r.hex.endRecord && r.hex.bytesLoaded > 0)
        notes.push_back(r.fileName + " has no end record; the " +
                        std::to_string(r.hex.bytesLoaded) +
                        " bytes before the end of the file were disassembled.");
    for (const loader::DisassemblyNote note : r.notes) notes.push_back(DisassemblyNoteText(note));
    return notes;
}

std::optional<std::string> DisassemblyAsmFileCaption(const loader::DisassemblyFileResult& r)
{
    if (r.ok && !r.listingReadBack) return kListingMissingCaption;
    return std::nullopt;
}

}  // namespace zelo::app
