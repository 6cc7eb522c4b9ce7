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
// Nothing here touches a window: the result says what was read and what
// went wrong, and the caller makes its captions from that.
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
    NoProgram,        // no file chosen, or the chosen one is not in the folder: nothing changes
    MissingFile,      // nothing readable at the path
    TooManyLines,     // more than kMaxHexLines lines
    TooLarge,         // more bytes than kMaxHexLines records can hold
    WrongFormat,      // no ":" or not a well-formed record
    WrongChecksum,    // bytes of the record do not sum to a multiple of 256
    UnsupportedType,  // a record type other than 00/01, or 02/04 with a non-zero base
    PastEnd,          // data reaching past FFFFH
};

// The line the record viewer shows.
struct HexViewerLine {
    int number = 0;    // 1-based
    std::string text;  // the line as the file holds it
};

// What a read, a load or a viewer move found. The window's captions are
// made from it by the caller.
struct HexLoadResult {
    HexLoadProblem problem = HexLoadProblem::None;
    int problemLine = 0;                 // 1-based line of the problem
    std::string fileName;                // the file asked for
    int lineCount = 0;                   // lines of the file (all of them when there are too many)
    int recordType = 0;                  // type of the record that stopped the load
    std::string recordBase;              // its data, upper-cased, for the types 02 and 04
    bool recordsStored = false;          // the records were read into memory, as far as they go
    int bytesLoaded = 0;                 // data bytes the records stored
    bool endRecord = false;              // the file has its end record
    std::optional<HexViewerLine> viewer; // the record viewer's line, when one is shown
    std::vector<uint8_t> loadedMark;     // disassembly: 1 for every cell a record wrote

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

// The current viewer line, with a wrong-format problem when it does not
// begin with ":".
HexLoadResult ShowHexLine(const HexLineStore& store);

// The simulation load of the records: clears code and external memory to
// "xx", stores the records and sets CodeEnd and ProgramName. A file that is
// not there changes nothing.
HexLoadResult ReadHexIntoCodeMemory(const std::filesystem::path& folder, const HexFileChoice& choice,
                                    core::CpuState& cpu, HexLoaderState& state,
                                    std::string_view hexToLineText = "");

// The disassembler's load: code memory filled with "FF", the records stored,
// CodeEnd and DisassemblyName set, loadedMark filled.
HexLoadResult ReadHexForDisassembly(const std::filesystem::path& folder, std::string_view fileName,
                                    core::CpuState& cpu, HexLoaderState& state,
                                    std::string_view hexToLineText = "");

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
