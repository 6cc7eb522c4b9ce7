// The simulated processor: internal RAM and the special function registers
// held bit by bit as cells ("0", "1", "x", "-"), code and external memory as
// two-character byte texts, the program counter and the register bank.
//
// Reads that need a value (ReadRamByte) stop the simulation on an undefined
// cell; copies (MoveByte between internal addresses) carry the cells as they
// are. Nothing here allocates in the read/write paths used by the step loop.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/hex_text.h"
#include "core/chip_model.h"
#include "core/sfr_table.h"
#include "core/simulation_log.h"

namespace zelo::core {

// A bit of the internal address space: byte address and bit number 0..7.
// Its text form is "HH.b" ("D0.7" is the carry).
struct BitAddress {
    uint8_t byte = 0;
    uint8_t bit = 0;
    bool operator==(const BitAddress&) const = default;
};
std::string BitAddressText(BitAddress address);
// Reads "HH.b"; the byte part is upper-cased first. Nothing for other texts.
std::optional<BitAddress> ParseBitAddress(std::string_view text);
// The bit address that an instruction's bit byte selects on the chip:
// 00H-7FH are the bits of RAM 20H-2FH, 80H-FFH the bits of the SFRs whose
// address ends in 0 or 8.
constexpr BitAddress BitAddressOfNumber(uint8_t n)
{
    return n < 0x80 ? BitAddress{static_cast<uint8_t>(0x20 + n / 8), static_cast<uint8_t>(n % 8)}
                    : BitAddress{static_cast<uint8_t>(n & 0xF8), static_cast<uint8_t>(n & 7)};
}

// Why a run was asked to stop.
enum class StopReason { None, NoCode, UndefinedBit, Stack, StepCount, User, Break, Watch, InputDone };

// Register and flag addresses used throughout the simulator.
namespace sfr {
constexpr uint8_t P0 = 0x80, SP = 0x81, DPL = 0x82, DPH = 0x83, DP1L = 0x84, DP1H = 0x85;
constexpr uint8_t PCON = 0x87, TCON = 0x88, TMOD = 0x89, TL0 = 0x8A, TL1 = 0x8B, TH0 = 0x8C;
constexpr uint8_t TH1 = 0x8D, P1 = 0x90, SCON = 0x98, SBUF = 0x99, P2 = 0xA0, IE = 0xA8;
constexpr uint8_t P3 = 0xB0, IP = 0xB8, T2CON = 0xC8, PSW = 0xD0, ACC = 0xE0, B = 0xF0;
constexpr uint8_t RCAP2L = 0xCA, RCAP2H = 0xCB, TL2 = 0xCC, TH2 = 0xCD;
}  // namespace sfr
namespace flag {
constexpr BitAddress CY{sfr::PSW, 7}, AC{sfr::PSW, 6}, F0{sfr::PSW, 5}, RS1{sfr::PSW, 4};
constexpr BitAddress RS0{sfr::PSW, 3}, OV{sfr::PSW, 2}, P{sfr::PSW, 0};
}  // namespace flag

constexpr int kMemoryCells = 65537;  // addresses 0..65536 of code and external memory

// The bytes one step wrote, with what they held before, so that a step that
// stops on an undefined bit can be taken back as if it never ran. A fixed
// array: recording costs one store per write and never allocates.
struct StepWrite {
    enum class Space : uint8_t { Internal, UpperRam, External };
    Space space = Space::Internal;
    uint32_t address = 0;
    uint64_t before = 0;  // eight cells (internal, upper RAM) or the two characters (external)
};
struct StepWrites {
    static constexpr int kCapacity = 48;  // far more than any instruction plus timers and an entry
    std::array<StepWrite, kCapacity> writes{};
    int count = 0;
    bool overflowed = false;    // more writes than fit: the step cannot be taken back
    int labelledBankBefore = -1;  // the register labels moved from this bank (-1: not moved)
    bool noRamWriteReportedBefore = false;
};

class CpuState {
public:
    // Eight cells of one byte; cell k holds bit k.
    using ByteCells = std::array<BitCell, 8>;

    explicit CpuState(ChipModel chip = ChipModel::C8051);

    ChipModel Chip() const { return m_chip; }
    // Selects the chip; the caller resets memory and rebuilds the SFR table.
    void SetChip(ChipModel chip) { m_chip = chip; }

    // --- stores (public: the views and the executor read them directly) ---
    std::array<ByteCells, 256> internal;         // InternalBitMemory
    std::array<ByteCells, 128> upperRam;         // 8052 indirect RAM 80H-FFH, kept apart from MOVX space
    std::array<std::array<uint8_t, 8>, 256> bitColour;
    std::array<std::string, 256> addressLabel;
    std::array<uint8_t, 256> addressLabelFlag{};
    std::array<std::array<int8_t, 3>, 256> addressAttributes{};
    std::vector<HexCell> codeMemory;             // CodeMemory, "xx" = nothing loaded
    std::vector<HexCell> externalMemory;         // ExternalMemory (MOVX)
    std::array<uint8_t, 8> registerAddress{};    // RegisterAddress of R0..R7
    int bankRs1 = 0, bankRs0 = 0;                // the bank cache
    uint16_t programCounter = 0;                 // ProgramCounter
    std::array<SfrRow, kSfrRows> sfrTable;       // SfrTable
    int lastSfrRow = kLastUsedSfrRow;
    std::array<std::string, 256> sfrDescription; // SfrDescription
    SimulationLog simulationLog;                 // SimulationLog, newest report first

    // The instruction being executed, named by the stop messages.
    uint8_t currentOpcode = 0;
    uint16_t currentInstructionAddress = 0;

    // --- stop request: raised here, consumed by the step/run controller ---
    void RequestStop(StopReason reason);
    bool StopRequested() const { return m_stopReason != StopReason::None; }
    StopReason PendingStop() const { return m_stopReason; }
    StopReason TakeStopRequest();

    // --- reset and the SFR table ---
    // Every RAM cell becomes "x"; 80H-FFH "x" on the 8052 and "-" elsewhere;
    // colours 7; in-use flags cleared unless keepInUseFlags (a program load).
    void ResetInternalMemory(bool keepInUseFlags = false);
    void BuildSfrTable();
    // Address text of the first SFR row (0..29) with that name, trimmed and
    // compared case-sensitively.
    std::optional<std::string> LookupSfr(std::string_view name) const;
    std::optional<uint8_t> LookupSfrAddress(std::string_view name) const;

    // --- byte access by direct address ---
    // The byte's value; an "x" cell (or an address with no register at all)
    // writes the stop message into SimulationLog, requests a stop and gives
    // nothing. Unimplemented bits of an existing register read as 0.
    std::optional<uint8_t> ReadRamByte(uint8_t address);
    // The byte's text as the views show it, without any stop: "xx" when a cell
    // is undefined.
    std::string PeekRamByteText(uint8_t address) const;
    void WriteRamByte(uint8_t value, uint8_t address);
    // Writes a byte text through the bit buffer: non-hex digits give "x" cells.
    void WriteRamByteText(std::string_view value, uint8_t address);
    void WriteRamCells(const BitBuffer& cells, uint8_t address);
    // As WriteRamByte, and writing PSW as a byte relabels the register bank.
    void StoreByte(uint8_t value, uint8_t address);
    // Text form: a two-digit address is internal; a four-digit one above FFH
    // is external, at or below FFH it is ignored.
    void StoreByte(std::string_view value, std::string_view address);
    // Addresses below 256 are internal, others external; internal to internal
    // copies the cells unchanged (no stop).
    void MoveByte(unsigned source, unsigned destination);
    void MoveByte(std::string_view source, std::string_view destination);
    // MOVX: direction 1 internal source -> external destination, direction 2
    // external source -> internal destination. External addresses stay
    // external whatever their value.
    void MoveExternal(unsigned source, unsigned destination, int direction);

    // --- indirect access (@R0, @R1 and the stack) ---
    // 80H-FFH reach the upper RAM on the 8052. The other chips have no RAM
    // there and indirect access never reaches the SFRs: a read gives an
    // undefined byte, a write stores nothing (reported once per run).
    bool IndirectHasRam(uint8_t address) const { return address < 0x80 || HasUpperRam(m_chip); }
    // The cells an indirect read sees ("x" cells where there is no RAM).
    ByteCells IndirectCells(uint8_t address) const;
    // The cells an indirect write goes to, noted for the step record;
    // nothing where there is no RAM (the write is reported).
    ByteCells* IndirectCellsForWrite(uint8_t address);
    std::optional<uint8_t> ReadIndirectByte(uint8_t address);
    void WriteIndirectByte(uint8_t value, uint8_t address);
    void WriteIndirectCells(const ByteCells& cells, uint8_t address);
    bool NoRamWriteReported() const { return m_noRamWriteReported; }

    // --- the stack ---
    // One byte onto the stack: SP + 1, then the cells at SP as an indirect
    // write (8052 upper RAM above 7FH, nowhere on the other chips). SP = FFH
    // wraps to 00H with the stack stop. Returns the address written.
    uint8_t PushStackCells(uint8_t& sp, const ByteCells& cells);
    struct ReturnPush {
        bool done = false;  // false: SP was undefined (the undefined-bit stop)
        uint8_t low = 0, high = 0;  // where the two bytes went
    };
    // The hardware call of LCALL, ACALL and an interrupt entry: the address
    // low byte first, SP written back, then the stack pointer checked.
    ReturnPush PushReturnAddress(uint16_t address);

    // --- the record of one step's writes ---
    void BeginStepRecord();
    // Every byte written since BeginStepRecord gets its old cells back and
    // the register bank follows PSW again. False when the record overflowed.
    bool UndoStep();
    const StepWrites& StepRecord() const { return m_stepWrites; }
    // The same for a record kept from an earlier step (the latest first when
    // several steps are taken back).
    bool RestoreWrites(const StepWrites& record);
    // A direct-address byte about to be written by the step.
    ByteCells& CellsForWrite(uint8_t address)
    {
        NoteWrite(StepWrite::Space::Internal, address, internal[address]);
        return internal[address];
    }

    // --- bits ---
    BitCell ReadBit(BitAddress address) const { return internal[address.byte][address.bit]; }
    BitCell ReadBit(std::string_view bitAddress) const;
    void WriteBit(BitCell value, BitAddress address) { CellsForWrite(address.byte)[address.bit] = value; }
    void WriteBit(BitCell value, std::string_view bitAddress);
    // "D0.7" for "CY": the PSW bit of a flag name, "" for an unknown name.
    std::string FlagBitAddress(std::string_view flagName) const;

    // --- registers ---
    struct RegisterRead {
        uint8_t address;
        std::optional<uint8_t> value;
    };
    RegisterRead ReadRegister(int n);
    struct DptrRead {
        uint8_t highAddress, lowAddress;
        std::optional<uint16_t> value;
    };
    DptrRead ReadDptr(int which);

    // SP above the chip's internal RAM: the stack message goes to the log and
    // a stop is requested. Returns false in that case.
    bool CheckStackPointer();

    void RemapRegisterBank();
    void RelabelRegisterBank();
    int CurrentBank() const { return 2 * bankRs1 + bankRs0; }

    // Fills the first `count` cells of code memory with `cell`.
    void FillCode(HexCell cell, int count = kMemoryCells);
    void FillExternal(HexCell cell, int count = kMemoryCells);

private:
    void NoteWrite(StepWrite::Space space, uint32_t address, const ByteCells& cells);
    void NoteExternalWrite(uint32_t address);
    void ReportNoRamWrite(uint8_t address);
    void MoveRegisterLabels();
    int LabelledBank() const;
    // The stop message naming the instruction, ending with `what`.
    void ReportReadStop(const std::string& what);
    void ReportUndefinedRead(uint8_t address);
    void ReportMissingRegister(uint8_t address);
    void InstallRegisterRows();

    ChipModel m_chip;
    StopReason m_stopReason = StopReason::None;
    bool m_noRamWriteReported = false;
    StepWrites m_stepWrites;
};

// The message that stops a run on a stack pointer beyond internal RAM.
inline constexpr const char* kStackLimitMessage = "The Value in the SP regist is larger than 7FH.";

}  // namespace zelo::core
