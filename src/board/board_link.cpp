#include "board/board_link.h"

#include <cstring>
#include <optional>

#include "core/serial.h"

namespace zelo::board {

namespace {
constexpr uint8_t kPortAddress[4] = {core::sfr::P0, core::sfr::P1, core::sfr::P2, core::sfr::P3};

// The byte's value, or nothing when a cell is not a plain 0 or 1.
std::optional<uint8_t> CellsValue(const core::CpuState::ByteCells& cells)
{
    uint8_t value = 0;
    for (int k = 0; k < 8; ++k) {
        const char c = cells[static_cast<size_t>(k)];
        if (c != '0' && c != '1') return std::nullopt;
        if (c == '1') value |= static_cast<uint8_t>(1u << k);
    }
    return value;
}

}  // namespace

PortBytes ReadPortLatches(const core::CpuState& cpu)
{
    // Eight cells at once: a byte of the word is nonzero after the XOR unless
    // its cell is '0', and the top bit of each nonzero byte is gathered into
    // one byte by the multiplication (cell k lands in bit k).
    constexpr uint64_t kZeros = 0x3030303030303030ull, kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr uint64_t kTops = 0x8080808080808080ull, kGather = 0x0102040810204080ull;
    PortBytes latches{};
    for (size_t p = 0; p < 4; ++p) {
        uint64_t word;
        std::memcpy(&word, cpu.internal[kPortAddress[p]].data(), sizeof word);
        const uint64_t y = word ^ kZeros;
        const uint64_t nonzero = (((y & kLow7) + kLow7) | y) & kTops;
        latches[p] = static_cast<uint8_t>(((nonzero >> 7) * kGather) >> 56);
    }
    return latches;
}

double ProgramBaud(const core::CpuState& cpu)
{
    const char sm0 = cpu.ReadBit(core::BitAddress{core::sfr::SCON, 7});
    const char sm1 = cpu.ReadBit(core::BitAddress{core::sfr::SCON, 6});
    const char smod = cpu.ReadBit(core::BitAddress{core::sfr::PCON, 7});
    if ((sm0 != '0' && sm0 != '1') || (sm1 != '0' && sm1 != '1')) return 0;
    const int mode = (sm0 == '1' ? 2 : 0) + (sm1 == '1' ? 1 : 0);
    int th1 = 0;
    if (mode == 1 || mode == 3) {
        const auto value = CellsValue(cpu.internal[core::sfr::TH1]);
        if (!value) return 0;
        th1 = *value;
    }
    return core::ComputeSerialTiming(mode, smod == '1', th1).baud;
}

void BoardLink::AfterStep(core::Simulator& sim, Board& board, SerialTerminal* terminal,
                          bool executed)
{
    core::CpuState& cpu = sim.Cpu();
    if (executed && terminal && sim.Current().destination.IsInternal(core::sfr::SBUF)) {
        if (const auto byte = CellsValue(cpu.internal[core::sfr::SBUF]))
            terminal->OnTransmit(*byte, ProgramBaud(cpu));
    }
    if (terminal)
        while (const auto byte = terminal->TakePending()) sim.QueueReceive(*byte);

    // The board sees the pins as the other outside sources leave them.
    PortBytes latches = ReadPortLatches(cpu);
    const auto& script = sim.PullDowns(core::PullSource::Script);
    const auto& click = sim.PullDowns(core::PullSource::Click);
    for (size_t p = 0; p < 4; ++p)
        latches[p] = static_cast<uint8_t>(latches[p] & ~(script[p] | click[p]));
    const PortBytes& pulls = board.Update(latches, sim.CycleCounter());
    if (pulls != sim.PullDowns(core::PullSource::Board))
        sim.SetPullDowns(core::PullSource::Board, pulls);
}

}  // namespace zelo::board
