#include "app/inspector.h"

#include "app/ascii_descriptions.h"
#include "core/bit_name_table.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/opcode_table.h"

namespace zelo::app {

namespace {

// The caption prefixes, spelled as the workbench has always shown them.
constexpr std::string_view kOpcodePrefix = "ZELO8051      OpCode= ";
constexpr std::string_view kImBitPrefix = "ZELO8051   IMBitCode=";
constexpr std::string_view kSfrBitPrefix = "ZELO8051   SFRBitCode=";
constexpr std::string_view kUndefinedBit = "ZELO8051   Undefined Bit";
constexpr std::string_view kImBytePrefix = "ZELO8051    IMCode=";
constexpr std::string_view kSfrBytePrefix = "ZELO8051    SFRCode=";
constexpr std::string_view kUndefinedByte = "ZELO8051    Undefind Byte";
constexpr std::string_view kAsciiPrefix = "ZELO8051    AsciiCode=";

// Internal RAM ends at 7FH; 80H-FFH of the direct address space are the SFRs.
constexpr int kFirstSfrAddress = 0x80;

void AppendTrimmed(std::string& text, std::string_view part)
{
    text += core::TrimBlanks(part);
}

}  // namespace

PicturePoint PictureFromWidget(double px, double py, double width, double height)
{
    if (width <= 0 || height <= 0) return {};
    return {px / width * kPictureWidth, kPictureHeight - py / height * kPictureHeight};
}

int LayoutRows(PictureLayout layout)
{
    switch (layout) {
        case PictureLayout::Ascii:
            return 8;
        case PictureLayout::Note:
            return 2;
        default:
            return 16;
    }
}

std::optional<int> HitGridCell(double x, double y, int rows, const GridGeometry& grid)
{
    // The rectangles are the cells' frames as drawn, so the pointer
    // describes the cell it is seen over.
    for (int r = 0; r < rows && r < 16; ++r) {
        const double bottom = grid.FrameY(r);
        if (!(y > bottom && y < bottom + grid.cellHeight)) continue;
        for (int c = 0; c < 16; ++c) {
            const double left = grid.FrameX(c);
            if (x > left && x < left + grid.cellWidth) return 16 * r + c;
        }
    }
    return std::nullopt;
}

std::string DescribeInstruction(uint8_t opcode)
{
    const core::OpcodeRow& row = core::StandardOpcodeTable().Row(opcode);
    std::string text(kOpcodePrefix);
    AppendTrimmed(text, row.hex);
    text += "  [";
    AppendTrimmed(text, row.bytesText);
    text += "B,";
    AppendTrimmed(text, row.cyclesText);
    text += "C]  Instruction= ";
    AppendTrimmed(text, row.mnemonicText);
    text += "  ";
    AppendTrimmed(text, row.operands[0]);
    for (int k = 1; k < 3; ++k) {
        const std::string_view operand =
            core::TrimBlanks(row.operands[static_cast<std::size_t>(k)]);
        if (operand.empty()) continue;
        text += ", ";
        text += operand;
    }
    text += "      (";
    AppendTrimmed(text, row.description);
    text += ")";
    return text;
}

std::string DescribeBitAddress(uint8_t n)
{
    const core::BitNameRow& row = core::StandardBitNameTable().Row(n);
    if (row.name.empty()) return std::string(kUndefinedBit);
    std::string text(n >= kFirstSfrAddress ? kSfrBitPrefix : kImBitPrefix);
    text += core::ToHexByte(n);
    text += "H     ";
    text += row.description;
    return text;
}

std::string DescribeRamByte(uint8_t n, const core::CpuState& cpu)
{
    if (cpu.internal[n][1] == core::kBitMissing) return std::string(kUndefinedByte);
    // The kind follows the address, not the cell contents: a RAM byte a
    // program has written is still internal memory, and an SFR whose reset
    // value is undefined (SBUF) is still an SFR.
    std::string text(n >= kFirstSfrAddress ? kSfrBytePrefix : kImBytePrefix);
    text += core::ToHexByte(n);
    text += "H( ";
    text += std::to_string(n);
    text += ")      ";
    // R0-R7 of the current bank carry their register name.
    text += n < 0x20 ? cpu.addressLabel[n] : cpu.sfrDescription[n];
    return text;
}

std::string DescribeAscii(int code)
{
    if (code < 0 || code > 127) return kWorkbenchCaption;
    std::string text(kAsciiPrefix);
    text += core::ToHexByte(static_cast<unsigned>(code));
    text += "H   ";
    text += AsciiDescriptions()[static_cast<std::size_t>(code)];
    return text;
}

std::optional<InspectResult> InspectPointer(double x, double y, PictureLayout layout,
                                            bool inspectOnHover, const core::CpuState& cpu)
{
    if (!inspectOnHover) return std::nullopt;
    InspectResult result;
    result.caption = kWorkbenchCaption;
    result.cell = HitGridCell(x, y, LayoutRows(layout));
    if (!result.cell) return result;
    const int n = *result.cell;
    switch (layout) {
        case PictureLayout::Instruction:
            result.opcode = static_cast<uint8_t>(n);
            result.caption = DescribeInstruction(static_cast<uint8_t>(n));
            break;
        case PictureLayout::BitName:
            result.caption = DescribeBitAddress(static_cast<uint8_t>(n));
            break;
        case PictureLayout::RamBit:
        case PictureLayout::RamName:
            result.caption = DescribeRamByte(static_cast<uint8_t>(n), cpu);
            break;
        case PictureLayout::Ascii:
            result.caption = DescribeAscii(n);
            break;
        case PictureLayout::Note:
            result.topicSlot = n;
            break;
    }
    return result;
}

void CopyOpcodeRowToInstruction(uint8_t opcode, core::CurrentInstruction& current)
{
    current.row = &core::StandardOpcodeTable().Row(opcode);
    current.b0 = opcode;
    current.highDigit = static_cast<uint8_t>(opcode >> 4);
    current.lowDigit = static_cast<uint8_t>(opcode & 0x0F);
}

}  // namespace zelo::app
