#include "core/cpu_state.h"

#include "core/ascii_text.h"
#include "core/cell_word.h"

namespace zelo::core {

namespace {
constexpr const char* kCrLf = "\r\n";

}  // namespace

std::string BitAddressText(BitAddress address)
{
    std::string text = ToHexByte(address.byte);
    text += '.';
    text += static_cast<char>('0' + address.bit);
    return text;
}

std::optional<BitAddress> ParseBitAddress(std::string_view text)
{
    const auto dot = text.find('.');
    if (dot == std::string_view::npos || dot + 2 != text.size()) return std::nullopt;
    const char bit = text[dot + 1];
    if (bit < '0' || bit > '7') return std::nullopt;
    const std::string byte = ToUpperAscii(text.substr(0, dot));
    if (byte.size() != 2 || !IsUpperHexDigit(byte[0]) || !IsUpperHexDigit(byte[1])) return std::nullopt;
    return BitAddress{static_cast<uint8_t>(ParseHexByteValue(byte)), static_cast<uint8_t>(bit - '0')};
}

CpuState::CpuState(ChipModel chip)
    : codeMemory(kMemoryCells, HexCell::Unloaded()),
      externalMemory(kMemoryCells, HexCell::Unloaded()),
      m_chip(chip)
{
    ResetInternalMemory();
    BuildSfrTable();
}

void CpuState::RequestStop(StopReason reason)
{
    // The first reason of a step is the one reported.
    if (m_stopReason == StopReason::None) m_stopReason = reason;
}

StopReason CpuState::TakeStopRequest()
{
    const StopReason reason = m_stopReason;
    m_stopReason = StopReason::None;
    return reason;
}

void CpuState::ResetInternalMemory(bool keepInUseFlags)
{
    const BitCell upper = HasUpperRam(m_chip) ? kBitUndefined : kBitMissing;
    for (int a = 0; a < 256; ++a) {
        internal[a].fill(a < 0x80 ? kBitUndefined : upper);
        bitColour[a].fill(7);
        if (!keepInUseFlags) addressAttributes[a][0] = 0;
    }
    for (auto& cells : upperRam) cells.fill(kBitUndefined);
    m_noRamWriteReported = false;
}

void CpuState::BuildSfrTable()
{
    for (int i = 0; i < kFirstRegisterRow; ++i) sfrTable[i] = SfrRow{};
    FillChipSfrRows(m_chip, sfrTable);
    sfrDescription = BuildSfrDescriptions(m_chip);

    // The bank follows the reset value of PSW (bank 0 on every chip).
    const std::string& psw = sfrTable[2].reset;
    bankRs1 = psw.size() > 3 && psw[3] == '1';
    bankRs0 = psw.size() > 4 && psw[4] == '1';
    for (int n = 0; n < 8; ++n) registerAddress[n] = static_cast<uint8_t>(CurrentBank() * 8 + n);
    InstallRegisterRows();
    lastSfrRow = kLastUsedSfrRow;

    for (int i = 0; i <= kLastUsedSfrRow; ++i) {
        const SfrRow& row = sfrTable[i];
        if (row.name.empty()) continue;
        const uint8_t a = static_cast<uint8_t>(ParseHexByteValue(row.address));
        addressLabel[a] = row.name;
        addressLabelFlag[a] = 1;
        addressAttributes[a][0] = 1;
        addressAttributes[a][1] = row.bitAddressable ? 12 : 1;
        addressAttributes[a][2] = 0;
        for (int k = 0; k < 8; ++k) {
            internal[a][k] = row.reset[7 - k];
            bitColour[a][k] = static_cast<uint8_t>(row.colour);
        }
    }
    for (int a = 0x20; a <= 0x2F; ++a) {
        addressAttributes[a][0] = 1;
        addressAttributes[a][1] = 12;
    }
}

void CpuState::InstallRegisterRows()
{
    for (int n = 0; n < 8; ++n) {
        SfrRow& row = sfrTable[kFirstRegisterRow + n];
        row.name = "R" + std::to_string(n);
        row.address = ToHexByte(registerAddress[n]);
        row.reset = "00000000";
        row.colour = 0;
        row.bitAddressable = false;
    }
}

std::optional<std::string> CpuState::LookupSfr(std::string_view name) const
{
    const std::string_view wanted = TrimBlanks(name);
    for (int i = 0; i < kFirstRegisterRow; ++i) {
        if (!sfrTable[i].name.empty() && TrimBlanks(sfrTable[i].name) == wanted) return sfrTable[i].address;
    }
    return std::nullopt;
}

std::optional<uint8_t> CpuState::LookupSfrAddress(std::string_view name) const
{
    if (auto text = LookupSfr(name)) return static_cast<uint8_t>(ParseHexByteValue(*text));
    return std::nullopt;
}

std::optional<uint8_t> CpuState::ReadRamByte(uint8_t address)
{
    const ByteCells& cells = internal[address];
    if (const int value = cellword::DefinedValue(cellword::Load(cells)); value >= 0)
        return static_cast<uint8_t>(value);
    unsigned value = 0;
    bool anyPresent = false;
    for (int k = 7; k >= 0; --k) {
        const BitCell c = cells[k];
        if (c == kBitOne) {
            value = 2 * value + 1;
            anyPresent = true;
        } else if (c == kBitZero) {
            value = 2 * value;
            anyPresent = true;
        } else if (c == kBitMissing) {
            value = 2 * value;  // an unimplemented register bit reads as 0
        } else {
            ReportUndefinedRead(address);
            return std::nullopt;
        }
    }
    if (!anyPresent) {
        ReportMissingRegister(address);
        return std::nullopt;
    }
    return static_cast<uint8_t>(value);
}

std::string CpuState::PeekRamByteText(uint8_t address) const
{
    unsigned value = 0;
    for (int k = 7; k >= 0; --k) {
        const BitCell c = internal[address][k];
        if (c == kBitUndefined) return "xx";
        value = 2 * value + (c == kBitOne ? 1 : 0);
    }
    return ToHexByte(value);
}

void CpuState::ReportReadStop(const std::string& what)
{
    std::string message = "-------------------------------";
    message += kCrLf;
    message += " When execute the Instruction code " + ToHexByte(currentOpcode);
    message += kCrLf;
    message += " at Addr " + ToHexWord(currentInstructionAddress);
    message += kCrLf;
    message += what;
    message += kCrLf;
    simulationLog.Replace(message);
    RequestStop(StopReason::UndefinedBit);
}

void CpuState::ReportUndefinedRead(uint8_t address)
{
    ReportReadStop(" there is a x-bit in Ram " + ToHexByte(address) + ".");
}

void CpuState::ReportMissingRegister(uint8_t address)
{
    ReportReadStop(" there is no Ram or register at " + ToHexByte(address) + ".");
}

void CpuState::WriteRamByte(uint8_t value, uint8_t address)
{
    cellword::Store(cellword::FromValue(value), CellsForWrite(address));
}

void CpuState::WriteRamByteText(std::string_view value, uint8_t address)
{
    WriteRamCells(HexByteToBitBuffer(value), address);
}

void CpuState::WriteRamCells(const BitBuffer& cells, uint8_t address) { CellsForWrite(address) = cells; }

void CpuState::StoreByte(uint8_t value, uint8_t address)
{
    WriteRamByte(value, address);
    if (address == sfr::PSW) RelabelRegisterBank();
}

void CpuState::StoreByte(std::string_view value, std::string_view address)
{
    if (address.size() == 2) {
        const uint8_t a = static_cast<uint8_t>(16 * HexDigitValue(address[0]) + HexDigitValue(address[1]));
        WriteRamByteText(value, a);
        if (a == sfr::PSW) RelabelRegisterBank();
    } else if (address.size() == 4) {
        const int a = ParseHexWord(address);
        if (a > 255 && a < kMemoryCells) {
            NoteExternalWrite(static_cast<uint32_t>(a));
            externalMemory[a] = HexCell::FromText(value);
        }
    }
}

void CpuState::MoveByte(unsigned source, unsigned destination)
{
    const bool srcInternal = source < 256;
    const bool dstInternal = destination < 256;
    if (srcInternal && dstInternal) {
        const ByteCells cells = internal[source];
        CellsForWrite(static_cast<uint8_t>(destination)) = cells;
        if (destination == sfr::PSW) RelabelRegisterBank();
    } else if (srcInternal) {
        if (destination >= kMemoryCells) return;
        const auto value = ReadRamByte(static_cast<uint8_t>(source));
        NoteExternalWrite(destination);
        externalMemory[destination] = value ? HexCell::FromValue(*value) : HexCell{' ', ' '};
    } else if (dstInternal) {
        if (source >= kMemoryCells) return;
        const HexCell cell = externalMemory[source];
        const char text[2] = {cell.hi, cell.lo};
        if (destination <= 0x7F) {
            WriteRamByteText(std::string_view(text, 2), static_cast<uint8_t>(destination));
        } else if (HasUpperRam(m_chip)) {
            *IndirectCellsForWrite(static_cast<uint8_t>(destination)) = HexByteToBitBuffer(std::string_view(text, 2));
        } else {
            // No RAM exists there on this chip; the byte is not stored anywhere.
            simulationLog.Replace("There is a problem in internal Ram at" + ToHexByte(destination));
        }
    } else if (source < kMemoryCells && destination < kMemoryCells) {
        NoteExternalWrite(destination);
        externalMemory[destination] = externalMemory[source];
    }
}

void CpuState::MoveByte(std::string_view source, std::string_view destination)
{
    MoveByte(static_cast<unsigned>(ParseHexWord(source)), static_cast<unsigned>(ParseHexWord(destination)));
}

void CpuState::MoveExternal(unsigned source, unsigned destination, int direction)
{
    if (direction == 1) {
        if (destination >= kMemoryCells) return;
        const auto value = ReadRamByte(static_cast<uint8_t>(source));
        NoteExternalWrite(destination);
        externalMemory[destination] = value ? HexCell::FromValue(*value) : HexCell{' ', ' '};
    } else if (direction == 2) {
        if (source >= kMemoryCells) return;
        const HexCell cell = externalMemory[source];
        const char text[2] = {cell.hi, cell.lo};
        WriteRamByteText(std::string_view(text, 2), static_cast<uint8_t>(destination));
        if (destination == sfr::PSW) RelabelRegisterBank();
    }
}

CpuState::ByteCells CpuState::IndirectCells(uint8_t address) const
{
    if (address < 0x80) return internal[address];
    if (HasUpperRam(m_chip)) return upperRam[address - 0x80];
    ByteCells undefined;
    undefined.fill(kBitUndefined);
    return undefined;
}

CpuState::ByteCells* CpuState::IndirectCellsForWrite(uint8_t address)
{
    if (address < 0x80) return &CellsForWrite(address);
    if (!HasUpperRam(m_chip)) {
        ReportNoRamWrite(address);
        return nullptr;
    }
    ByteCells& cells = upperRam[address - 0x80];
    NoteWrite(StepWrite::Space::UpperRam, address, cells);
    return &cells;
}

void CpuState::ReportNoRamWrite(uint8_t address)
{
    if (m_noRamWriteReported) return;
    m_noRamWriteReported = true;
    simulationLog.PutInFront("Indirect write to " + ToHexByte(address) + "H: no RAM there on the " +
                             ChipName(m_chip));
}

std::optional<uint8_t> CpuState::ReadIndirectByte(uint8_t address)
{
    if (address < 0x80) return ReadRamByte(address);
    if (!HasUpperRam(m_chip)) {
        ReportUndefinedRead(address);
        return std::nullopt;
    }
    const ByteCells& cells = upperRam[address - 0x80];
    if (const int defined = cellword::DefinedValue(cellword::Load(cells)); defined >= 0)
        return static_cast<uint8_t>(defined);
    ReportUndefinedRead(address);
    return std::nullopt;
}

void CpuState::WriteIndirectByte(uint8_t value, uint8_t address)
{
    if (ByteCells* cells = IndirectCellsForWrite(address)) cellword::Store(cellword::FromValue(value), *cells);
}

void CpuState::WriteIndirectCells(const ByteCells& cells, uint8_t address)
{
    if (ByteCells* target = IndirectCellsForWrite(address)) *target = cells;
}

uint8_t CpuState::PushStackCells(uint8_t& sp, const ByteCells& cells)
{
    if (sp == 0xFF) {
        // SP wraps to 00H as on the chip; the run stops with the stack message.
        simulationLog.Replace(kStackLimitMessage);
        RequestStop(StopReason::Stack);
    }
    ++sp;
    if (sp >= 0x80 && !HasUpperRam(m_chip)) return sp;  // no RAM: the stack stop follows
    ByteCells* target = IndirectCellsForWrite(sp);
    for (int k = 0; k < 8; ++k) (*target)[k] = cells[k] == kBitMissing ? kBitZero : cells[k];
    return sp;
}

CpuState::ReturnPush CpuState::PushReturnAddress(uint16_t address)
{
    ReturnPush pushed;
    auto sp = ReadRamByte(sfr::SP);
    if (!sp) return pushed;
    pushed.low = PushStackCells(*sp, ValueToBitBuffer(static_cast<uint8_t>(address & 0xFF)));
    pushed.high = PushStackCells(*sp, ValueToBitBuffer(static_cast<uint8_t>(address >> 8)));
    WriteRamByte(*sp, sfr::SP);
    CheckStackPointer();
    pushed.done = true;
    return pushed;
}

void CpuState::NoteWrite(StepWrite::Space space, uint32_t address, const ByteCells& cells)
{
    StepWrites& r = m_stepWrites;
    if (r.count > 0) {
        const StepWrite& last = r.writes[static_cast<std::size_t>(r.count - 1)];
        if (last.address == address && last.space == space) return;  // the older entry holds the old cells
    }
    if (r.count == StepWrites::kCapacity) {
        r.overflowed = true;
        return;
    }
    r.writes[static_cast<std::size_t>(r.count++)] = StepWrite{space, address, cellword::Load(cells)};
}

void CpuState::NoteExternalWrite(uint32_t address)
{
    const HexCell cell = externalMemory[address];
    ByteCells packed{};
    packed[0] = cell.hi;
    packed[1] = cell.lo;
    NoteWrite(StepWrite::Space::External, address, packed);
}

void CpuState::BeginStepRecord()
{
    m_stepWrites.count = 0;
    m_stepWrites.overflowed = false;
    m_stepWrites.labelledBankBefore = -1;
    m_stepWrites.noRamWriteReportedBefore = m_noRamWriteReported;
}

bool CpuState::UndoStep()
{
    if (!RestoreWrites(m_stepWrites)) return false;
    m_stepWrites.count = 0;
    m_stepWrites.labelledBankBefore = -1;
    return true;
}

bool CpuState::RestoreWrites(const StepWrites& r)
{
    if (r.overflowed) return false;
    for (int i = r.count - 1; i >= 0; --i) {
        const StepWrite& w = r.writes[static_cast<std::size_t>(i)];
        switch (w.space) {
            case StepWrite::Space::Internal: cellword::Store(w.before, internal[w.address]); break;
            case StepWrite::Space::UpperRam: cellword::Store(w.before, upperRam[w.address - 0x80]); break;
            case StepWrite::Space::External: {
                ByteCells packed;
                cellword::Store(w.before, packed);
                externalMemory[w.address] = HexCell{packed[0], packed[1]};
                break;
            }
        }
    }
    m_noRamWriteReported = r.noRamWriteReportedBefore;
    RemapRegisterBank();
    if (r.labelledBankBefore >= 0) {
        // The labels go back to the bank that carried them before the step.
        const std::array<uint8_t, 8> current = registerAddress;
        for (int n = 0; n < 8; ++n) registerAddress[n] = static_cast<uint8_t>(r.labelledBankBefore * 8 + n);
        MoveRegisterLabels();
        registerAddress = current;
    }
    return true;
}

BitCell CpuState::ReadBit(std::string_view bitAddress) const
{
    if (auto a = ParseBitAddress(bitAddress)) return ReadBit(*a);
    return kBitUndefined;
}

void CpuState::WriteBit(BitCell value, std::string_view bitAddress)
{
    if (auto a = ParseBitAddress(bitAddress)) WriteBit(value, *a);
}

std::string CpuState::FlagBitAddress(std::string_view flagName) const
{
    const auto bit = PswFlagBit(flagName);
    const auto psw = LookupSfr("PSW");
    if (!bit || !psw) return "";
    return *psw + "." + std::to_string(*bit);
}

CpuState::RegisterRead CpuState::ReadRegister(int n)
{
    const uint8_t address = registerAddress[n & 7];
    return {address, ReadRamByte(address)};
}

CpuState::DptrRead CpuState::ReadDptr(int which)
{
    DptrRead r{which == 1 ? sfr::DP1H : sfr::DPH, which == 1 ? sfr::DP1L : sfr::DPL, std::nullopt};
    const auto high = ReadRamByte(r.highAddress);
    const auto low = ReadRamByte(r.lowAddress);
    if (high && low) r.value = static_cast<uint16_t>(*high << 8 | *low);
    return r;
}

bool CpuState::CheckStackPointer()
{
    const auto sp = ReadRamByte(sfr::SP);
    const int limit = HasUpperRam(m_chip) ? 0xFF : 0x7F;
    if (sp && *sp > limit) {
        simulationLog.Replace(kStackLimitMessage);
        RequestStop(StopReason::Stack);
        return false;
    }
    return true;
}

void CpuState::RemapRegisterBank()
{
    const int rs1 = internal[sfr::PSW][4] == kBitOne;
    const int rs0 = internal[sfr::PSW][3] == kBitOne;
    if (rs1 == bankRs1 && rs0 == bankRs0) return;
    bankRs1 = rs1;
    bankRs0 = rs0;
    for (int n = 0; n < 8; ++n) registerAddress[n] = static_cast<uint8_t>(CurrentBank() * 8 + n);
}

void CpuState::RelabelRegisterBank()
{
    const int rs1 = internal[sfr::PSW][4] == kBitOne;
    const int rs0 = internal[sfr::PSW][3] == kBitOne;
    // Compare with the bank that carries the labels, not only the cache: a
    // bank switched by SETB RS0 remaps the registers at once but leaves the
    // labels behind until PSW is next written as a byte, which must then move
    // them even though the cache already holds the new bank.
    const int labelled = LabelledBank();
    bankRs1 = rs1;
    bankRs0 = rs0;
    // The registers follow PSW even when the labels already do (a bank left
    // by SETB RS0 and restored by a byte write to PSW).
    for (int n = 0; n < 8; ++n) registerAddress[n] = static_cast<uint8_t>(CurrentBank() * 8 + n);
    if (2 * rs1 + rs0 == labelled) return;
    if (m_stepWrites.labelledBankBefore < 0) m_stepWrites.labelledBankBefore = labelled;
    MoveRegisterLabels();
}

int CpuState::LabelledBank() const { return ParseHexByteValue(sfrTable[kFirstRegisterRow].address) / 8; }

// The R0..R7 labels and rows move to the addresses in registerAddress.
void CpuState::MoveRegisterLabels()
{
    for (int n = 0; n < 8; ++n) {
        const uint8_t old = static_cast<uint8_t>(ParseHexByteValue(sfrTable[kFirstRegisterRow + n].address));
        addressLabel[old].clear();
        addressAttributes[old] = {0, 0, 0};
    }
    InstallRegisterRows();
    for (int n = 0; n < 8; ++n) {
        const uint8_t a = registerAddress[n];
        addressLabel[a] = sfrTable[kFirstRegisterRow + n].name;
        addressLabelFlag[a] = 1;
        addressAttributes[a] = {1, 1, 0};
        bitColour[a].fill(0);
    }
}

void CpuState::FillCode(HexCell cell, int count)
{
    for (int a = 0; a < count && a < kMemoryCells; ++a) codeMemory[a] = cell;
}

void CpuState::FillExternal(HexCell cell, int count)
{
    for (int a = 0; a < count && a < kMemoryCells; ++a) externalMemory[a] = cell;
}

}  // namespace zelo::core
