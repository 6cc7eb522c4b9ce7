// The disassembler: turns a program image back into a labelled listing
// ("Dis.lst") and a source ("Dis.asm") that the workbench's assembler reads
// back to the very same bytes.
//
// Two walks run over the image with the opcode table. The first collects the
// code, DPTR and relative labels and marks the addresses they name; the
// marks give the areas behind MOV DPTR,#data16 that are written as data. The
// second walk records the lines, honouring those areas, and collects the
// labels and declarations of the instructions that are actually written.
// Naming then makes sure that every written reference comes back as the
// same bytes:
//   - a jump whose target is not the start of a written line (it lies inside
//     another instruction, in a gap, or its label table was full) is written
//     as DB bytes;
//   - relative labels are the assembler's local labels "$1".."$8","$0"; a
//     local label is found only within its section (the lines between two
//     ordinary labels), so a target reached from another section, or from a
//     line that carries an ordinary label, gets an ordinary label, and a name
//     that would occur twice in a section is replaced by "$10", "$11", ...
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/chip_model.h"
#include "loader/code_image.h"

namespace zelo::loader {

inline constexpr int kCodeLabelLimit = 300;
inline constexpr int kDptrLabelLimit = 20;
inline constexpr int kRelativeLabelLimit = 300;
inline constexpr int kDataAreaLimit = 20;
inline constexpr int kDataItemsPerLine = 8;

// AddCodeLabel kinds.
enum class CodeLabelKind { LCALL = 1, LJMP = 2, ACALL = 3, AJMP = 4, Relative = 5 };

struct LabelEntry {
    uint16_t target = 0;
    std::string kindText;             // "LCALL", "LJMP", "ACALL", "AJMP"; a relative target's first mnemonic
    int count = 0;                    // references
    std::vector<uint16_t> referrers;  // addresses of the referring instructions
    std::string name;                 // set by naming
};

struct CountEntry {
    uint8_t value = 0;
    int count = 0;
};

struct DataArea {
    int first = 0;
    int last = 0;
};

// One recorded line of the second walk: an instruction or one data byte.
struct WalkItem {
    uint16_t address = 0;
    uint8_t length = 1;
    bool data = false;
};

// What a disassembly had to give up: a table that filled up and what was
// written instead.
enum class DisassemblyNote : uint8_t {
    CodeLabelsFull,       // the Addr16 label table: later targets written as addresses or bytes
    DptrLabelsFull,       // the DPTR label table: later values get no label and no data area
    RelativeLabelsFull,   // the relative label table: later relative jumps written as bytes
    DataAreasFull,        // more DPTR data areas than kept: later ones disassembled as code
};

struct DisassemblyOutput {
    std::vector<std::string> listingLines;  // "Dis.lst"
    std::vector<std::string> sourceLines;   // "Dis.asm"
    std::vector<DisassemblyNote> notes;     // each at most once, in the order they arose
    int dataLines = 0;                      // DB lines written
};

// Byte index (1 or 2) of the instruction that each operand pattern of the
// opcode reads; 0 for operands without a byte. MOV dir,dir (85) holds its
// source byte first.
std::array<int, 3> OperandByteIndex(uint8_t opcode);
// AJMP/ACALL: the page bits of the opcode under the top five bits of the
// address that follows the instruction.
uint16_t AbsoluteTarget(uint16_t address, uint8_t opcode, uint8_t low);
// Address + length + the signed offset, wrapping at 64 KB.
uint16_t RelativeTarget(uint16_t address, int length, uint8_t offset);

class Disassembler {
public:
    Disassembler(const CodeImage& image, core::ChipModel chip);

    // Runs both walks, finds the data areas and names the labels.
    void Run();

    void DisassemblyWalk(int pass);
    void AddCodeLabel(uint16_t target, CodeLabelKind kind, uint16_t from);
    void AddDptrLabel(uint16_t value, uint16_t from);
    void AddRelativeLabel(uint16_t target, uint16_t from, std::string_view mnemonic);
    void FindDptrDataAreas();

    // Declaration lines in their listing form (18 leading blanks).
    std::vector<std::string> WriteDeclarations();
    // The listing and source lines, declarations first.
    DisassemblyOutput WriteDisassembly();

    const std::vector<LabelEntry>& CodeLabels() const { return m_codeLabels; }
    const std::vector<LabelEntry>& DptrLabels() const { return m_dptrLabels; }
    const std::vector<LabelEntry>& RelativeLabels() const { return m_relativeLabels; }
    const std::vector<DataArea>& DptrDataAreas() const { return m_areas; }
    const std::vector<DisassemblyNote>& Notes() const { return m_notes; }

private:
    struct Decoded {
        uint8_t opcode = 0;
        uint8_t length = 0;
        uint8_t bytes[3] = {0, 0, 0};
    };

    bool Decode(int address, int pass, Decoded& out) const;
    bool InArea(int address) const { return m_inArea[address] != 0; }
    void Classify(uint16_t address, const Decoded& d, int pass);
    void ResetTables();
    void NameLabels();
    bool FallBackUnreachable();
    bool PromoteCrossSectionTargets();
    // The written units: one per instruction, one per data byte.
    std::vector<WalkItem> Units() const;
    // Length of the DB line that starts at units[i].
    std::size_t DataLineLength(const std::vector<WalkItem>& units, std::size_t i) const;
    bool HasCodeLabel(int address) const { return m_codeIndex[address] >= 0 && !m_unlabelled[address]; }
    void AssignLocalNames();
    std::string LabelAt(int address) const;
    std::string InstructionOperands(const WalkItem& item, std::string& mnemonic) const;
    std::string TargetText(uint16_t target, bool relative) const;
    void Note(DisassemblyNote note);

    const CodeImage& m_image;
    core::ChipModel m_chip;
    int m_end = 0;

    // Pass 1 marks: 1 code label, 2 DPTR label.
    std::vector<uint8_t> m_annotation;
    std::vector<uint8_t> m_inArea;
    std::vector<DataArea> m_areas;

    std::vector<LabelEntry> m_codeLabels, m_dptrLabels, m_relativeLabels;
    std::vector<CountEntry> m_constants, m_registers, m_bits;
    std::vector<int> m_codeIndex, m_dptrIndex, m_relativeIndex;  // by address, -1 for none

    std::vector<WalkItem> m_items;
    std::vector<uint8_t> m_lineStart;     // by address: a written line starts here
    std::vector<uint8_t> m_live;          // by address: a written instruction starts here
    std::vector<uint8_t> m_unlabelled;    // by address: no label may be written here
    std::unordered_map<int, std::string> m_ordinary;  // by address: ordinary label of the line
    std::unordered_map<int, std::string> m_local;     // by address: local label of the line
    bool m_declarationsDone = false;
    std::vector<DisassemblyNote> m_notes;
};

}  // namespace zelo::loader
