// Shared vocabulary of the assembler: scanned fields, code bytes, fix-up
// kinds, the per-line record and the table capacities.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <string>
#include <vector>

namespace zelo::assembler {

// The only error value of every evaluator, and the placeholder for a byte
// that Round 2 fills in.
inline constexpr const char* kErrorMarker = "??";
inline constexpr const char* kPlaceholder = "xx";
inline constexpr const char* kNoByte = "  ";

// Capacities of the assembler's tables.
// Generous bounds that only a runaway source reaches. The line bound leaves
// room for a whole 64 KB image of one-byte instructions with declarations,
// and as many labels as there are addresses, so that every disassembly
// assembles again.
inline constexpr int kMaxAssemblyLines = 80 * 1024;      // source plus library lines
inline constexpr int kMaxLineTableRows = 2 * 80 * 1024;  // including lines linked from modules
inline constexpr int kMaxLabels = 64 * 1024;
inline constexpr int kMaxSections = kMaxLabels;
inline constexpr int kMaxSymbolsPerPart = 16 * 1024;
inline constexpr int kMaxModules = 100;
inline constexpr int kMaxMissingModules = 50;
inline constexpr int kMaxProblemLines = 300;
inline constexpr int kMaxCallNames = 200;
inline constexpr int kMaxSubroutines = 301;
inline constexpr int kMaxSeparators = 100;

// One scanned line: field[1] label, field[2] mnemonic or directive,
// field[3..5] operands 1..3 (field[0] is unused).
struct LineFields
{
    std::array<std::string, 6> field;
    std::string comment;
    int fieldCount = 0;
    bool neglected = false;
    bool fieldDropped = false;  // a sixth field (text past operand 3) was left out

    const std::string& Label() const { return field[1]; }
    const std::string& Mnemonic() const { return field[2]; }
    const std::string& Operand(int n) const { return field[2 + n]; }  // n = 1..3
};

enum class FixupKind : uint8_t {
    None = 0,
    Relative = 1,    // SJMP, conditional jumps, DJNZ, CJNE
    Absolute11 = 2,  // AJMP, ACALL, JMP, CALL
    Word16 = 3,      // LJMP, LCALL, MOV DPTR,#
    Byte8 = 4,       // an immediate byte naming a label: MOV A,#HIGH(TABLE)
};

// What a line contributes to the image.
enum class LineKind : uint8_t {
    Nothing,      // comment, label only, neglected, .GLOBAL
    Instruction,  // code bytes
    Data,         // DB, DW, bare byte
    Symbol,       // EQU, CON, SFR, REG, BIT (value shown only)
    Org,
};

// One code byte as a number with its state: no byte, a value, a value Round
// 2 fills in, or an error. The listing's texts ("  ", "xx", "??" and two
// hexadecimal digits) are made only when a line is written out.
enum class ByteState : uint8_t { None, Value, Pending, Error };

struct CodeByte
{
    uint8_t value = 0;
    ByteState state = ByteState::None;

    static constexpr CodeByte Of(unsigned v) { return {static_cast<uint8_t>(v & 0xFF), ByteState::Value}; }
    static constexpr CodeByte Pending() { return {0, ByteState::Pending}; }
    static constexpr CodeByte Error() { return {0, ByteState::Error}; }
    bool IsValue() const { return state == ByteState::Value; }
    bool IsError() const { return state == ByteState::Error; }
    friend bool operator==(const CodeByte&, const CodeByte&) = default;
};

// The byte a text of a module listing's code stands for: two upper-case hexadecimal
// digits, "xx", "  " (or nothing); any other text is an error.
CodeByte ByteFromText(std::string_view text);
// The two characters the listing shows for a byte.
std::array<char, 2> ByteChars(CodeByte b);
inline std::string ByteString(CodeByte b)
{
    const auto c = ByteChars(b);
    return std::string(c.data(), 2);
}

using LineBytes = std::array<CodeByte, 3>;

// A piece of the text an assembly keeps for its lines (see Assembly).
struct TextSlice
{
    uint32_t offset = 0;
    uint32_t size = 0;
};

// A DW item naming a label, resolved in Round 2.
struct PendingWord
{
    uint32_t index = 0;  // first byte of the item among the line's data bytes
    TextSlice text;
};

// One row of the line table, kept small: 4000 of them are made for every
// run. Texts are slices of the assembly's text store, data bytes a range of
// its byte store; what few lines have (a message, a reason, DW words Round 2
// fills in) sits in a note beside the table (see Assembly).
struct AsmLine
{
    static constexpr int kKeptTexts = 7;  // label, mnemonic, operands 1..3, comment, symbolic
    TextSlice text;
    // The kept texts lie one after another in the text store from keptAt,
    // each as long as its size; a line with a text longer than 255
    // characters keeps its slices in its note instead (longTexts).
    uint32_t keptAt = 0;
    std::array<uint8_t, kKeptTexts> keptSizes{};
    uint32_t note = 0;       // 1 + the index of the line's note; 0: none
    uint32_t dataFirst = 0;  // DB/DW bytes
    uint32_t dataCount = 0;
    int32_t length = 0;
    // The source line shown for the row when macros were expanded (0: the
    // row's own number less the header lines); for an expansion row, its
    // call's line (the line its text was written in is in its note).
    int32_t sourceLine = 0;
    uint16_t address = 0;
    LineBytes bytes{};
    LineKind kind = LineKind::Nothing;
    FixupKind fixup = FixupKind::None;
    bool library : 1 = false;   // came from an INCLUDE file
    bool linked : 1 = false;    // appended from an .EXTERN module
    bool neglected : 1 = false;
    bool fieldDropped : 1 = false;  // the scanner left out a sixth field
    bool isCall : 1 = false;    // ACALL/CALL: Round 2 opcode digit + 1
    // A Round 1 problem that lies in no byte: a name defined twice, code
    // placed over earlier code or past FFFFH.
    bool refused : 1 = false;
    bool round1Error : 1 = false;
    bool round2Error : 1 = false;
    bool expansion : 1 = false;     // produced by a macro call or REPT
    bool expanderOnly : 1 = false;  // a line of the expander: shown, not assembled
    bool longTexts : 1 = false;
    bool inSource : 1 = false;  // text is a slice of the source, not of the text store
};

}  // namespace zelo::assembler
