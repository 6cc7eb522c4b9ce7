// Operand, bit, branch and stack access shared by the instruction handlers.
#include "core/exec_context.h"

namespace zelo::core::exec {

namespace {

// True when an indirect address lands in the direct-address cells that the
// views show: only RAM 00H-7FH (80H-FFH is the 8052's separate upper RAM, or
// nothing at all on the other chips, never the SFRs).
bool IndirectIsDirectSpace(uint8_t address)
{
    return address < 0x80;
}

// Copies cells into a byte; bits the chip does not have stay missing and a
// missing source bit arrives as "0".
void MergeCells(ByteCells& target, const ByteCells& cells)
{
    for (int k = 0; k < 8; ++k) {
        if (target[k] == kBitMissing) continue;
        target[k] = cells[k] == kBitMissing ? kBitZero : cells[k];
    }
}

// The cells a copy carries: a bit the register does not implement reads as
// "0" (as in ReadRamByte); an address with no RAM or register at all has no
// value, so its copy is undefined.
ByteCells CopiedCells(const ByteCells& cells)
{
    ByteCells copy = cells;
    bool anyPresent = false;
    for (BitCell cell : cells) anyPresent = anyPresent || cell != kBitMissing;
    for (auto& cell : copy)
        if (cell == kBitMissing) cell = anyPresent ? kBitZero : kBitUndefined;
    return copy;
}

// Addresses whose value reads do not simply give the register cells: the
// four ports (pins) and SBUF (the receive buffer).
constexpr bool SpecialRead(uint8_t address)
{
    return PortIndexOf(address) >= 0 || address == sfr::SBUF;
}

// What a value read of a port or SBUF sees, when it differs from the cells:
// the pins of a port some of whose pins are pulled low (unless the
// instruction reads the latch), the last received byte for SBUF.
const ByteCells* ReadCellsOf(Context& c, uint8_t address, ByteCells& scratch)
{
    if (c.outside == nullptr) return nullptr;
    if (address == sfr::SBUF) {
        if (!c.outside->received) return nullptr;
        scratch = ValueToBitBuffer(c.outside->receiveBuffer);
        return &scratch;
    }
    const uint8_t pulled = c.outside->pins.pulled[static_cast<std::size_t>(PortIndexOf(address))];
    if (pulled == 0 || ReadsLatch(c.in.b0)) return nullptr;
    scratch = PinCells(c.cpu.internal[address], pulled);
    return &scratch;
}

// The 89Cx051 has no P3.6 pin: the bit reads the comparator's output, high
// while AIN0 is above AIN1 (low until the inputs are given voltages).
BitCell ComparatorCell(const Context& c)
{
    const PortPins& pins = c.outside->pins;
    return pins.analogGiven && pins.ain[0] > pins.ain[1] ? kBitOne : kBitZero;
}

std::optional<uint8_t> ValueOfCells(Context& c, const ByteCells& cells, uint8_t address)
{
    unsigned value = 0;
    for (int k = 7; k >= 0; --k) {
        const BitCell cell = cells[static_cast<std::size_t>(k)];
        if (cell == kBitUndefined) return c.cpu.ReadRamByte(address);  // the undefined-bit stop
        value = 2 * value + (cell == kBitOne);
    }
    return static_cast<uint8_t>(value);
}

void NoteSource(Context& c, uint8_t address)
{
    c.in.source = OperandAddress{address, false};
}

void NoteDestination(Context& c, uint8_t address)
{
    c.in.destination = OperandAddress{address, false};
    c.in.NoteChanged(address);
}

}  // namespace

std::optional<Operand> IndirectThrough(Context& c, int registerNumber)
{
    const auto ri = c.cpu.ReadRegister(registerNumber);
    if (!ri.value) return std::nullopt;
    return Operand{Where::Indirect, *ri.value, 0};
}

std::optional<Operand> DecodeOperand(Context& c, uint8_t lowDigit, uint8_t byte)
{
    switch (lowDigit) {
        case 0x4:
            return Immediate(byte);
        case 0x5:
            return Direct(byte);
        case 0x6:
            return IndirectThrough(c, 0);
        case 0x7:
            return IndirectThrough(c, 1);
        default:
            if (lowDigit >= 0x8) return Direct(c.cpu.registerAddress[lowDigit - 8]);
            return std::nullopt;
    }
}

std::optional<uint8_t> ReadValue(Context& c, const Operand& operand)
{
    switch (operand.where) {
        case Where::Immediate:
            return operand.data;
        case Where::Direct:
            NoteSource(c, operand.address);
            if (SpecialRead(operand.address)) {
                ByteCells scratch;
                if (const ByteCells* cells = ReadCellsOf(c, operand.address, scratch))
                    return ValueOfCells(c, *cells, operand.address);
            }
            return c.cpu.ReadRamByte(operand.address);
        case Where::Indirect:
            if (IndirectIsDirectSpace(operand.address)) NoteSource(c, operand.address);
            return c.cpu.ReadIndirectByte(operand.address);
        case Where::None:
            break;
    }
    return std::nullopt;
}

ByteCells ReadCells(Context& c, const Operand& operand)
{
    switch (operand.where) {
        case Where::Immediate:
            return ValueToBitBuffer(operand.data);
        case Where::Direct:
            NoteSource(c, operand.address);
            if (SpecialRead(operand.address)) {
                ByteCells scratch;
                if (const ByteCells* cells = ReadCellsOf(c, operand.address, scratch)) return CopiedCells(*cells);
            }
            return CopiedCells(c.cpu.internal[operand.address]);
        case Where::Indirect:
            if (IndirectIsDirectSpace(operand.address)) NoteSource(c, operand.address);
            return CopiedCells(c.cpu.IndirectCells(operand.address));
        case Where::None:
            break;
    }
    return ValueToBitBuffer(0);
}

void WriteCells(Context& c, const Operand& operand, const ByteCells& cells)
{
    switch (operand.where) {
        case Where::Direct:
            MergeCells(c.cpu.CellsForWrite(operand.address), cells);
            NoteDestination(c, operand.address);
            if (operand.address == sfr::PSW) c.cpu.RelabelRegisterBank();
            break;
        case Where::Indirect:
            if (ByteCells* target = c.cpu.IndirectCellsForWrite(operand.address)) MergeCells(*target, cells);
            if (IndirectIsDirectSpace(operand.address)) NoteDestination(c, operand.address);
            break;
        case Where::Immediate:
        case Where::None:
            break;
    }
}

void WriteValue(Context& c, const Operand& operand, uint8_t value)
{
    WriteCells(c, operand, ValueToBitBuffer(value));
}

std::optional<uint8_t> ReadAccumulatorValue(Context& c)
{
    return c.cpu.ReadRamByte(sfr::ACC);
}

void WriteAccumulator(Context& c, uint8_t value)
{
    WriteValue(c, Accumulator(), value);
}

BitCell ReadBitCell(Context& c, BitAddress bit)
{
    const BitCell cell = c.cpu.ReadBit(bit);
    if (c.outside != nullptr && bit.byte == sfr::P3 && bit.bit == pin::kComparatorOut &&
        c.cpu.Chip() == ChipModel::C89Cx051 && !ReadsLatch(c.in.b0))
        return ComparatorCell(c);
    // A port bit read for its value sees the pin: low while pulled.
    const int port = PortIndexOf(bit.byte);
    if (c.outside != nullptr && port >= 0 && !ReadsLatch(c.in.b0) &&
        (c.outside->pins.pulled[static_cast<std::size_t>(port)] >> bit.bit) & 1u)
        return kBitZero;
    return cell;
}

std::optional<bool> ReadBitValue(Context& c, BitAddress bit)
{
    const BitCell cell = ReadBitCell(c, bit);
    if (cell == kBitUndefined) {
        // The byte read raises the undefined-bit stop with the usual message.
        c.cpu.ReadRamByte(bit.byte);
        return std::nullopt;
    }
    return cell == kBitOne;
}

void WriteBitCell(Context& c, BitAddress bit, BitCell value)
{
    BitCell& cell = c.cpu.CellsForWrite(bit.byte)[bit.bit];
    if (cell != kBitMissing) cell = value;
    c.in.destination = OperandAddress{bit.byte, false};
    c.in.NoteChanged(bit.byte, bit.bit);
}

void WriteFlag(Context& c, BitAddress flag, bool value)
{
    c.cpu.WriteBit(value ? kBitOne : kBitZero, flag);
    c.in.NoteChanged(flag.byte, flag.bit);
}

void JumpTo(Context& c, unsigned target)
{
    c.cpu.programCounter = static_cast<uint16_t>(target & 0xFFFF);
    c.in.instructionJumped = true;
}

void BranchRelative(Context& c, uint8_t rel)
{
    JumpTo(c, static_cast<unsigned>(NextInstructionAddress(c) + static_cast<int8_t>(rel)));
}

void PushCells(Context& c, uint8_t& sp, const ByteCells& cells)
{
    const uint8_t written = c.cpu.PushStackCells(sp, cells);
    if (IndirectIsDirectSpace(written)) c.in.NoteChanged(written);
}

void WriteStackPointer(Context& c, uint8_t sp)
{
    c.cpu.WriteRamByte(sp, sfr::SP);
    c.in.NoteChanged(sfr::SP);
}

bool PushReturnAddress(Context& c, uint16_t address)
{
    const CpuState::ReturnPush pushed = c.cpu.PushReturnAddress(address);
    if (!pushed.done) return false;
    if (IndirectIsDirectSpace(pushed.low)) c.in.NoteChanged(pushed.low);
    if (IndirectIsDirectSpace(pushed.high)) c.in.NoteChanged(pushed.high);
    c.in.NoteChanged(sfr::SP);
    return true;
}

void ExecNothing(Context&) {}

}  // namespace zelo::core::exec
