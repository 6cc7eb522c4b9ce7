#include "core/bit_name_table.h"

#include <algorithm>

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

// "8C", "88.4", "88H.4" and "P1.3", written digit by digit so that the
// table is built while compiling.
constexpr char kDigits[] = "0123456789ABCDEF";

constexpr void FillAddressForms(BitNameRow& row, unsigned n, unsigned byte, unsigned bit)
{
    const char number[] = {kDigits[(n >> 4) & 0xF], kDigits[n & 0xF]};
    row.number = std::string_view(number, 2);
    const char address[] = {kDigits[(byte >> 4) & 0xF], kDigits[byte & 0xF], '.', kDigits[bit & 7]};
    row.address = std::string_view(address, 4);
    const char addressH[] = {address[0], address[1], 'H', '.', kDigits[bit & 7]};
    row.addressH = std::string_view(addressH, 5);
}

constexpr FixedText<7> PortBitName(char port, unsigned bit)
{
    const char text[] = {'P', port, '.', kDigits[bit & 7]};
    return std::string_view(text, 4);
}

using BitRows = std::array<BitNameRow, 256>;

constexpr BitRows BuildBitNameRows()
{
    BitRows rows{};
    // Every row assigned whole first: GCC 12 refuses, while compiling, to
    // read rows of which only a member was ever assigned.
    for (BitNameRow& row : rows) row = BitNameRow{};
    for (unsigned n = 0; n < 0x80; ++n) {
        BitNameRow& row = rows[n];
        FillAddressForms(row, n, 0x20 + n / 8, n % 8);
        row.name = row.addressH.View();  // "20H.0"
    }
    for (unsigned port = 0; port < 4; ++port) {
        const unsigned address = 0x80 + 0x10 * port;
        for (unsigned b = 0; b < 8; ++b) {
            BitNameRow& row = rows[address + b];
            FillAddressForms(row, address + b, address, b);
            row.name = PortBitName(static_cast<char>('0' + port), b);
        }
    }
    for (const auto& reg : kNamedRegisters) {
        for (unsigned b = 0; b < 8; ++b) {
            if (reg.bits[b] == nullptr) continue;
            BitNameRow& row = rows[reg.address + b];
            FillAddressForms(row, reg.address + b, reg.address, b);
            row.name = std::string_view(reg.bits[b]);
        }
    }
    for (std::size_t k = 0; k < std::size(kDescriptions); ++k)
        rows[kDescriptions[k].bit].description = BitDescription(static_cast<uint8_t>(k + 1));
    return rows;
}

// Every form of every row (columns 0, 2 and 6) by text, and for one text by
// bit number: the first entry of a text is the row a search in row order
// finds first.
struct BitForm
{
    FixedText<7> text;
    uint8_t bit = 0;
};
struct BitForms
{
    std::array<BitForm, 3 * 256> entries{};
    std::size_t count = 0;
};

constexpr BitForms IndexBitForms(const BitRows& rows)
{
    BitForms forms;
    for (unsigned n = 0; n < 256; ++n) {
        const BitNameRow& row = rows[n];
        for (const std::string_view form : {row.name.View(), row.address.View(), row.addressH.View()}) {
            if (form.empty()) continue;
            BitForm& entry = forms.entries[forms.count++];
            entry.text = form;
            entry.bit = static_cast<uint8_t>(n);
        }
    }
    std::sort(forms.entries.begin(), forms.entries.begin() + static_cast<std::ptrdiff_t>(forms.count),
              [](const BitForm& a, const BitForm& b) {
                  return a.text.View() < b.text.View() || (a.text == b.text && a.bit < b.bit);
              });
    return forms;
}

constexpr BitRows kBitRows = BuildBitNameRows();
constexpr BitForms kBitForms = IndexBitForms(kBitRows);

}  // namespace

std::string_view BitDescription::View() const
{
    return m_place == 0 ? std::string_view() : std::string_view(kDescriptions[m_place - 1].text);
}

const BitNameRow& BitNameTable::Row(uint8_t n) const
{
    return kBitRows[n];
}

std::string BitNameTable::BitAddressOf(std::string_view text) const
{
    for (const auto& row : kBitRows) {
        if ((!row.name.empty() && row.name == text) || (!row.number.empty() && row.number == text))
            return std::string(row.address.View());
    }
    return "??";
}

std::optional<uint8_t> BitNameTable::FindByForm(std::string_view text) const
{
    if (text.empty()) return std::nullopt;
    const auto begin = kBitForms.entries.begin();
    const auto end = begin + static_cast<std::ptrdiff_t>(kBitForms.count);
    const auto found = std::lower_bound(begin, end, text,
                                        [](const BitForm& f, std::string_view t) { return f.text.View() < t; });
    if (found == end || found->text != text) return std::nullopt;
    return found->bit;
}

const BitNameTable& StandardBitNameTable()
{
    static const BitNameTable table;
    return table;
}

}  // namespace zelo::core
