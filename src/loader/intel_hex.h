// Reading Intel HEX files into the simulated chip's code memory, for the
// simulator and for the disassembler, and the record viewer that shows one
// line of the last file read with its byte sum.
//
// Records are checked before anything is stored: a line must start with ":",
// hold hexadecimal digits (either case) for its count, address, type, data and
// checksum, and its bytes must sum to a multiple of 256. Type 00 stores data,
// type 01 ends the file, types 02/04 are accepted only with a zero base (they
// would move the rest of the file elsewhere). Any problem is reported with its
// line number and stops loading; records stored before the bad line stay.
//
// Nothing here touches a window: captions and the ROM rows come back as texts
// in the result and the caller shows them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cpu_state.h"

namespace zelo::loader {

inline constexpr int kMaxHexLines = 4000;
// The longest record (255 data bytes) takes 521 characters and a line end;
// a file larger than kMaxHexLines such lines is refused before it is read.
inline constexpr std::uintmax_t kMaxHexFileBytes = kMaxHexLines * 523ull;

// The lines of the last HEX file read, for the record viewer.
struct HexLineStore {
    std::vector<std::string> lines;  // in file order, line ends removed
    int currentLine = 0;             // 1-based viewer line; 0 = none shown since the read

    int Count() const { return static_cast<int>(lines.size()); }
};

// What the loaders keep from one load to the next.
struct HexLoaderState {
    HexLineStore store;
    int codeEnd = -1;             // CodeEnd: one past the last data byte; -1 = no data record
    std::string programName;      // ProgramName, set by the simulation load
    std::string disassemblyName;  // DisassemblyName, set by the disassembly load
};

enum class HexLoadProblem {
    None,
    MissingFile,      // nothing found at the path
    TooManyLines,     // more than kMaxHexLines lines
    TooLarge,         // more bytes than kMaxHexLines records can hold
    WrongFormat,      // no ":" or not a well-formed record
    WrongChecksum,    // bytes of the record do not sum to a multiple of 256
    UnsupportedType,  // a record type other than 00/01, or 02/04 with a non-zero base
    PastEnd,          // data reaching past FFFFH
};

// The texts a load or a viewer move leaves for the window; an empty optional
// means "leave that control as it is".
struct HexLoadResult {
    HexLoadProblem problem = HexLoadProblem::None;
    int problemLine = 0;                        // 1-based line of the problem
    std::optional<std::string> asmFileCaption;  // caption of the AsmFile frame
    std::optional<std::string> hexFileCaption;  // caption of the HexFile frame
    std::optional<std::string> hexText;         // the record viewer box HexText
    std::vector<std::string> romRows;           // RomRows; empty when not rebuilt
    std::vector<uint8_t> loadedMark;            // disassembly: 1 for every cell a record wrote
    int bytesLoaded = 0;                        // data bytes the records stored
    bool endRecord = false;                     // the file has its end record

    bool Ok() const { return problem == HexLoadProblem::None; }
};

// Which file the simulation load reads.
struct HexFileChoice {
    bool hexFromProgram = false;  // HexFromProgramFlag: the assembler's own output
    std::string selectedFile;     // the entry chosen in the file list otherwise
};

// Value of the leading decimal digits of a text (blanks skipped first), 0 when
// it does not begin with a number: "7" gives 7, "PC:0000" gives 0.
int LeadingNumber(std::string_view text);

// Reads the whole file into the store; then, with N the leading number of
// hexToLineText, shows lines 1 .. min(N, count) in turn.
HexLoadResult ReadHexLines(const std::filesystem::path& folder, std::string_view fileName,
                           HexLineStore& store, std::string_view hexToLineText = "");

// Decodes the current viewer line: the HexText box and the HexFile caption
// with the line's byte sum.
HexLoadResult ShowHexLine(const HexLineStore& store);

// The simulation load of the records: clears code and external memory to
// "xx", stores the records, sets CodeEnd and ProgramName and builds the ROM
// rows when every record was stored. A missing file changes nothing.
HexLoadResult ReadHexIntoCodeMemory(const std::filesystem::path& folder, const HexFileChoice& choice,
                                    core::CpuState& cpu, HexLoaderState& state,
                                    std::string_view hexToLineText = "");

// The disassembler's load: code memory filled with "FF", the records stored,
// CodeEnd and DisassemblyName set, loadedMark filled; no ROM rows.
HexLoadResult ReadHexForDisassembly(const std::filesystem::path& folder, std::string_view fileName,
                                    core::CpuState& cpu, HexLoaderState& state,
                                    std::string_view hexToLineText = "");

// The 256 rows of the ROM view: "0000  02 00 30 xx ..." for 0000H-0FFFH.
std::vector<std::string> RomRows(const core::CpuState& cpu);
inline constexpr const char* kRomCaption =
    "Addr  00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F (ROM)  ";

// The file in folder whose name equals fileName without regard to case (the
// exact name first); nothing when there is none.
std::optional<std::filesystem::path> FindFileIgnoringCase(const std::filesystem::path& folder,
                                                          std::string_view fileName);

// One record checked and decoded. Data bytes are upper-cased.
struct HexRecord {
    HexLoadProblem problem = HexLoadProblem::None;
    int count = 0;
    int address = 0;
    int type = 0;
    std::string_view data;  // 2 * count digits of the line
};
HexRecord ParseHexRecord(std::string_view line);

}  // namespace zelo::loader
