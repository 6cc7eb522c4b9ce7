#include "core/bit_name_table.h"

#include "core/hex_text.h"

namespace zelo::core {

namespace {

struct NamedRegister {
    uint8_t address;
    const char* bits[8];  // nullptr: no entry for that bit
};

constexpr NamedRegister kNamedRegisters[] = {
    {0x88, {"IT0", "IE0", "IT1", "IE1", "TR0", "TF0", "TR1", "TF1"}},
    {0x98, {"RI", "TI", "RB8", "TB8", "REN", "SM2", "SM1", "SM0"}},
    {0xA8, {"EX0", "ET0", "EX1", "ET1", "ES", "ET2", nullptr, "EA"}},
    {0xB8, {"PX0", "PT0", "PX1", "PT1", "PS", "PT2", nullptr, nullptr}},
    {0xC8, {"CP/RL2", "C/T2", "TR2", "EXEN2", "TCLK", "RCLK", "EXF2", "TF2"}},
    {0xD0, {"P", nullptr, "OV", "RS0", "RS1", "F0", "AC", "CY"}},
    {0xE0, {"ACC.0", "ACC.1", "ACC.2", "ACC.3", "ACC.4", "ACC.5", "ACC.6", "ACC.7"}},
    {0xF0, {"B.0", "B.1", "B.2", "B.3", "B.4", "B.5", "B.6", "B.7"}},
};

struct Description {
    uint8_t bit;
    const char* text;
};

constexpr Description kDescriptions[] = {
    {0x8C, "TR0 .Timer 0 Run. When this bit is set Timer 0 is turned on. When this bit is clear Timer 0 is off."},
    {0x8D, "TF0 .Timer 0 Overflow. This bit is set by the microcontroller when Timer 0 overflows."},
    {0x8E, "TR1 . Timer 1 Run. When this bit is set Timer 1 is turned on. When this bit is clear Timer 1 is off."},
    {0x8F, "TF1 . Timer 1 Overflow. This bit is set by the microcontroller when Timer 1 overflows."},
    {0x90, "T2 . Timer 2 External Input. Optionally used to control timer/counter 2 via external source."},
    {0x91, "T2EX . Timer 2 Capture/Reload. Optional external capturing or reloading of timer 2."},
    {0x98, "RI . Receive Flag. Set when a byte has been completely received."},
    {0x99, "TI . Transmit Flag. Set when a byte has been completely transmitted."},
    {0x9A, "RB8. Receive Bit 8. The 9th bit received in mode 2 and 3."},
    {0x9B, "TB8. Transmit Bit 8. The 9th bit to transmit in mode 2 and 3."},
    {0x9C, "REN . Received Enable. This bit must be set in order to receive characters."},
    {0x9D, "SM2 . Serial Mode 2 (Multiprocessor Communication)."},
    {0x9E, "SM1. Serial port mode bit 1."},
    {0x9F, "SM0. Serial port mode bit 0"},
    {0xA8, "EX0 . Enable External 0 Interupt. 1=Interrupt enabled"},
    {0xA9, "ET0 . Enable Timer 0 Interupt. 1=Interrupt enabled"},
    {0xAA, "EX1 . Enable External 1 Interupt. 1=Interrupt enabled"},
    {0xAB, "ET1 . Enable Timer 1 Interupt. 1=Interrupt enabled"},
    {0xAC, "ES . Enable Serial Interupt. 1=Interrupt enabled"},
    {0xAD, "ET2 . Enable Timer 2 Interupt. 1=Interrupt enabled"},
    {0xAF, "EA . Enable/Disable All Interrupts. 1=Interrupts enabled"},
    {0xB0, "RXD . Serial Transmit Data. 8052.s serial receive line (to 8052 from external device)."},
    {0xB1, "TXD . Serial Transmit Data. 8052.s serial transmit line (from 8052 to external device)."},
    {0xB2, "INT0 . External Interrupt 0. Used to trigger external interrupt 0."},
    {0xB3, "INT1 . External Interrupt 1. Used to trigger external interrupt 1."},
    {0xB4, "T0 . Timer/Counter 0 External Input. Optionally used to control timer/counter 0 via external source."},
    {0xB5, "T1 . Timer/Counter 1 External Input. Optionally used to control timer/counter 1 via external source."},
    {0xB6, "WR . Write Strobe. 0=External memory write strobe."},
    {0xB7, "RD . Read Strobe. 0=External memory read strobe."},
    {0xB8, "PX0 . Priority External 0 Interupt. 1=High priority interrupt, 0=Low priority interrupt"},
    {0xB9, "PT0 . Priority Timer 0 Interupt. 1=High priority interrupt, 0=Low priority interrupt"},
    {0xBA, "PX1 . Priority External 1 Interupt. 1=High priority interrupt, 0=Low priority interrupt"},
    {0xBB, "PT1 . Priority Timer 1 Interupt. 1=High priority interrupt, 0=Low priority interrupt"},
    {0xBC, "PS . Priority Serial Interupt. 1=High priority interrupt, 0=Low priority interrupt"},
    {0xBD, "PT2 . Priority Timer 2 Interupt. 1=High priority interrupt, 0=Low priority interrupt"},
    {0xC8, "Timer 2 Capture/Reload. If clear, auto reload occurs on timer 2 overflow, or T2EX 1-0 transition if EXEN2 is set. If set, a capture will occur on a 1-0 transition of T2EX if EXEN2 is set."},
    {0xC9, "Timer 2 Counter/Interval Timer. If clear, Timer 2 is an interval counter. If set, Timer 2 is incremented by 1-0 transition on T2 (P1.0)."},
    {0xCA, "Timer 2 Run. When set, timer 2 will be turned on. Otherwise, it is turned off."},
    {0xCB, "Timer 2 External Enable. When set, a 1-0 transition on T2EX (P1.1) will cause a capture or reload to occur."},
    {0xCC, "Timer 2 Receive Clock. When this bit is set, Timer 2 will be used to determine the serial port transmit baud rate. When clear, Timer 1 will be used."},
    {0xCD, "Timer 2 Receive Clock. When this bit is set, Timer 2 will be used to determine the serial port receive baud rate. When clear, Timer 1 will be used."},
    {0xCE, "Timer 2 External Flag. Set by a reload or capture caused by a 1-0 transition on T2EX (P1.1), but only when EXEN2 is set. When T2 interrupt is enabled, this bit will cause the interrupt to be triggered."},
    {0xCF, "Timer 2 Overflow. This bit is set when T2 overflows. When T2 interrupt is enabled, this bit will cause the interrupt to be triggered. This bit will not be set if either TCLK or RCLK bits are set."},
    {0xD0, "P . Parity Flag."},
    {0xD2, "OV . Overflow Flag. Set or cleared by instructions ADD, ADDC, SUBB, and DIV."},
    {0xD3, "RS1/RS0 . Register Select Bits."},
    {0xD4, "RS1/RS0 . Register Select Bits."},
    {0xD5, "F0 . Flag 0. General flag available to developer for user-defined purposes."},
    {0xD6, "AC . Auxiliary Carry. Set or cleared by instructions ADD, ADDC."},
    {0xD7, "CY . Carry Flag. Set or cleared by instructions ADD, ADDC, SUBB, MUL, and DIV."},
    {0xF8, "Timer 0 mode bit "},
    {0xF9, "Timer 0 mode bit "},
    {0xFA, "When this bit is set the timer will count events on T0 (P3.4). When this bit is clear the timer will be incremented every machine cycle."},
    {0xFB, "When this bit is set the timer will only run when INT0 (P3.2) is high. When this bit is clear the timer will run regardless of the state of INT0."},
    {0xFC, "Timer 1 mode bit"},
    {0xFD, "Timer 1 mode bit"},
    {0xFE, "When this bit is set the timer will count events on T1 (P3.5). When this bit is clear the timer will be incremented every machine cycle."},
    {0xFF, "When this bit is set the timer will only run when INT1 (P3.3) is high. When this bit is clear the timer will run regardless of the state of INT1."},
};

void FillAddressForms(BitNameRow& row, unsigned n, unsigned byte, unsigned bit)
{
    row.number = ToHexByte(n);
    row.address = ToHexByte(byte) + "." + std::to_string(bit);
    row.addressH = ToHexByte(byte) + "H." + std::to_string(bit);
}

}  // namespace

BitNameTable::BitNameTable() { BuildBitNameTable(); }

void BitNameTable::BuildBitNameTable()
{
    for (auto& row : m_rows) row = BitNameRow{};

    for (unsigned n = 0; n < 0x80; ++n) {
        BitNameRow& row = m_rows[n];
        FillAddressForms(row, n, 0x20 + n / 8, n % 8);
        row.name = row.addressH;  // "20H.0"
    }
    const struct {
        uint8_t address;
        const char* port;
    } ports[] = {{0x80, "P0"}, {0x90, "P1"}, {0xA0, "P2"}, {0xB0, "P3"}};
    for (const auto& p : ports) {
        for (unsigned b = 0; b < 8; ++b) {
            BitNameRow& row = m_rows[p.address + b];
            FillAddressForms(row, p.address + b, p.address, b);
            row.name = std::string(p.port) + "." + std::to_string(b);
        }
    }
    for (const auto& reg : kNamedRegisters) {
        for (unsigned b = 0; b < 8; ++b) {
            if (reg.bits[b] == nullptr) continue;
            BitNameRow& row = m_rows[reg.address + b];
            FillAddressForms(row, reg.address + b, reg.address, b);
            row.name = reg.bits[b];
        }
    }
    for (const auto& d : kDescriptions) m_rows[d.bit].description = d.text;
}

std::string BitNameTable::BitAddressOf(std::string_view text) const
{
    for (const auto& row : m_rows) {
        if ((!row.name.empty() && row.name == text) || (!row.number.empty() && row.number == text))
            return row.address;
    }
    return "??";
}

std::optional<uint8_t> BitNameTable::FindByForm(std::string_view text) const
{
    if (text.empty()) return std::nullopt;
    for (unsigned n = 0; n < 256; ++n) {
        const auto& row = m_rows[n];
        if (row.name == text || row.address == text || row.addressH == text) return static_cast<uint8_t>(n);
    }
    return std::nullopt;
}

const BitNameTable& StandardBitNameTable()
{
    static const BitNameTable table;
    return table;
}

}  // namespace zelo::core
