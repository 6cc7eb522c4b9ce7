#include "app/state_picture.h"

#include <algorithm>

#include "app/topic_sheet_picture.h"
#include "core/bit_name_table.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/opcode_table.h"

namespace zelo::app {

Rgb Palette(int index)
{
    static constexpr std::array<Rgb, 16> kColours{{
        {0, 0, 0}, {0, 0, 128}, {0, 128, 0}, {0, 128, 128}, {128, 0, 0}, {128, 0, 128},
        {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0},
        {0, 255, 255}, {255, 0, 0}, {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
    }};
    return kColours[static_cast<unsigned>(index) & 15u];
}

void Picture::AddBox(double x, double y, double width, double height, Rgb colour)
{
    AddLine(x, y, x + width, y, colour);
    AddLine(x + width, y, x + width, y + height, colour);
    AddLine(x + width, y + height, x, y + height, colour);
    AddLine(x, y + height, x, y, colour);
}

const std::array<std::string, 32>& TopicNames()
{
    static const std::array<std::string, 32> kTopics{
        "Flags", "Symbol", "T-Modes", "S-Modes", "I-Add", "Code", "Memory", "A-Modes",
        "Flow",  "Number", "Syntax",  "Invalid", "  >=<", "Pseudo", "",     "",
        "PCON",  "TMOD",   "TCON",    "SCON",    "IE",    "IP",     "S-com", "Int.",
        "",      "",       "",        "",        "",      "",       "",      ""};
    return kTopics;
}

const std::array<std::string, 128>& AsciiNames()
{
    static const std::array<std::string, 128> kNames = [] {
        static constexpr std::array<const char*, 32> kControl{
            "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
            "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
            "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
        std::array<std::string, 128> names;
        for (int code = 0; code < 128; ++code) {
            if (code < 32)
                names[code] = kControl[code];
            else if (code == 0x20)
                names[code] = "SP";
            else if (code == 0x7F)
                names[code] = "DEL";
            else
                names[code] = std::string(1, static_cast<char>(code));
        }
        return names;
    }();
    return kNames;
}

void StatePicture::SelectLayout(PictureLayout layout, const StatePictureSources& sources, const StateMarks& marks)
{
    m_layout = layout;
    if (layout == PictureLayout::RamBit) m_showRegisterNames = false;
    if (layout != PictureLayout::RamBit) m_showRegisterNames = true;
    Redraw(sources, marks);
}

void StatePicture::Redraw(const StatePictureSources& sources, const StateMarks& marks)
{
    switch (m_layout) {
        case PictureLayout::RamBit:
        case PictureLayout::RamName:
            if (sources.cpu) RefreshStateView(*sources.cpu, marks);
            break;
        case PictureLayout::BitName:
            if (sources.bitNames) ShowBitNames(*sources.bitNames);
            break;
        case PictureLayout::Instruction:
            if (sources.opcodes) ShowOpcodeMap(*sources.opcodes, sources.usage, sources.usageStatisticsEnabled);
            break;
        case PictureLayout::Ascii: ShowAsciiTable(); break;
        case PictureLayout::Note: ShowTopics(); break;
    }
}

void StatePicture::RefreshStateView(const core::CpuState& cpu, const StateMarks& marks)
{
    m_picture.Clear();
    const bool addressLayout = m_layout == PictureLayout::RamBit || m_layout == PictureLayout::RamName;
    if (!marks.noInstructionYet && addressLayout) {
        MarkOperands(marks);
        for (const auto& location : marks.changed) MarkChangedBit(location);
    }
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            const int a = 16 * r + c;
            if (cpu.addressLabelFlag[a] && m_showRegisterNames && cpu.addressAttributes[a][0] == 1)
                m_picture.AddText(m_geometry.CellX(c), m_geometry.TextY(r), cpu.addressLabel[a], Palette(1));
            else
                DrawBitCell(cpu, r, c);
        }
    }
    DrawGridHeadings();
    for (int a = 0; a < 256; ++a) {
        if (cpu.addressAttributes[a][0] == 1) FrameCell(a / 16, a % 16, Palette(cpu.addressAttributes[a][1]));
    }
}

void StatePicture::DrawBitCell(const core::CpuState& cpu, int r, int c)
{
    const int a = 16 * r + c;
    // Direct addresses 80H-FFH without a register hold nothing on any chip
    // (the 8052's upper RAM is reached only indirectly): drawn as absent
    // while nothing was stored there.
    const bool absent = a >= 0x80 && cpu.addressLabelFlag[a] == 0 &&
                        std::all_of(cpu.internal[a].begin(), cpu.internal[a].end(),
                                    [](char cell) { return cell == core::kBitUndefined; });
    for (int bit = 7; bit >= 0; --bit) {
        const int k = 8 - bit;  // bit 7 at position 1, bit 0 at position 8
        const double shift = bit >= 4 ? -0.4 : 0.0;
        m_picture.AddText(m_geometry.CharX(c, k) + shift, m_geometry.TextY(r),
                          std::string(1, absent ? core::kBitMissing : cpu.internal[a][bit]),
                          Palette(cpu.bitColour[a][bit]));
    }
}

void StatePicture::DrawGridHeadings()
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int r = 0; r < 16; ++r) {
        m_picture.AddText(m_geometry.x0 - 4, m_geometry.TextY(r), std::string{kDigits[r], '0', ' '},
                          r < 8 ? Palette(10) : Palette(4));
    }
    // The six leading blanks keep the heading text as the system writes it;
    // it starts far enough left that the digits sit 3.3 units into the column.
    for (int c = 0; c < 16; ++c) {
        m_picture.AddText(m_geometry.CellX(c) + 3.3 - 6 * 1.1, m_geometry.y0 + 48 + 1.2,
                          std::string("      0") + kDigits[c], Palette(12));
    }
}

void StatePicture::HatchCell(int address, Rgb colour)
{
    const int r = address / 16, c = address % 16;
    const double x = m_geometry.FrameX(c), y = m_geometry.FrameY(r);
    const double w = m_geometry.cellWidth, h = m_geometry.cellHeight;
    constexpr double kStep = 0.5;
    for (double d = kStep; d < w + h; d += kStep) {
        const double u1 = d > h ? d - h : 0.0, u2 = d < w ? d : w;
        m_picture.AddLine(x + u1, y + (d - u1), x + u2, y + (d - u2), colour);
    }
}

void StatePicture::MarkOperands(const StateMarks& marks)
{
    static const std::array<Rgb, 4> kColours{kHatchGrey, Palette(12), Palette(14), Palette(14)};
    for (int i = 0; i < 4; ++i) {
        const auto& operand = marks.operands[i];
        if (!operand.Empty() && !operand.external && operand.value < 256) HatchCell(operand.value, kColours[i]);
    }
    if (marks.timer0Counting) {
        HatchCell(core::sfr::TL0, kHatchGrey);
        HatchCell(core::sfr::TH0, kHatchGrey);
    }
    if (marks.timer1Counting) {
        HatchCell(core::sfr::TL1, kHatchGrey);
        HatchCell(core::sfr::TH1, kHatchGrey);
    }
}

void StatePicture::MarkChangedBit(const core::ChangedLocation& location)
{
    const int r = location.byte / 16, c = location.byte % 16;
    const int bit = location.bit < 0 ? 0 : location.bit & 7;
    const double x = m_geometry.CharX(c, 8 - bit) + (bit >= 4 ? -0.4 : 0.0);
    const double y = m_geometry.CellY(r) + 0.8;
    m_picture.AddLine(x + 0.1, y, x + 0.9, y, Palette(12));
}

void StatePicture::FrameCell(int r, int c, Rgb colour)
{
    m_picture.AddBox(m_geometry.FrameX(c), m_geometry.FrameY(r), m_geometry.cellWidth, m_geometry.cellHeight,
                     colour);
}

void StatePicture::ShowBitNames(const core::BitNameTable& table)
{
    m_showRegisterNames = true;
    m_picture.Clear();
    for (int n = 0; n < 256; ++n) {
        const auto& name = table.Row(static_cast<uint8_t>(n)).name;
        if (name.empty()) continue;
        const int r = n / 16, c = n % 16;
        m_picture.AddText(m_geometry.CellX(c), m_geometry.TextY(r), std::string(name.View()), Palette(1));
        FrameCell(r, c, n > 247 ? Palette(11) : Palette(12));
    }
}

void StatePicture::ShowOpcodeMap(const core::OpcodeTable& table, const std::array<long, 256>* usage,
                                 bool statisticsEnabled)
{
    m_showRegisterNames = true;
    m_picture.Clear();
    for (int n = 0; n < 256; ++n) {
        const bool used = statisticsEnabled && usage && (*usage)[n] != 0;
        const Rgb colour = used ? Palette(12) : Palette(1);
        const int r = n / 16, c = n % 16;
        m_picture.AddText(m_geometry.CellX(c), m_geometry.TextY(r),
                          std::string(core::TrimBlanks(table.Row(static_cast<uint8_t>(n)).mnemonicText)), colour);
        FrameCell(r, c, colour);
    }
    DrawGridHeadings();
}

void StatePicture::ShowAsciiTable()
{
    m_picture.Clear();
    const auto& names = AsciiNames();
    for (int code = 0; code < 128; ++code) {
        const int r = code / 16, c = code % 16;
        // The default face shows the backslash as a currency sign, so that
        // one code is printed in a face that has it.
        if (code == 0x5C) {
            m_picture.AddText(m_geometry.CellX(c), m_geometry.TextY(r), "  \\", Palette(1), PictureFont::MingLiU);
        } else {
            const std::string& name = names[code];
            const std::string padded = (name.size() == 3 ? " " : "  ") + name;
            m_picture.AddText(m_geometry.CellX(c), m_geometry.TextY(r), padded, Palette(1), PictureFont::Gothic);
        }
        FrameCell(r, c, Palette(12));
    }
}

void StatePicture::ShowTopics()
{
    m_picture.Clear();
    const auto& topics = TopicNames();
    for (int slot = 0; slot < 32; ++slot) {
        const int r = slot / 16, c = slot % 16;
        if (topics[slot].empty()) {
            FrameCell(r, c, Palette(8));
            continue;
        }
        FrameCell(r, c, Palette(9));
        m_picture.AddText(m_geometry.CellX(c), m_geometry.TextY(r), topics[slot], Palette(1));
    }
}

void StatePicture::ShowTopicSheet(int slot)
{
    ShowTopics();
    AddTopicSheet(m_picture, slot, m_geometry);
}

std::vector<std::string> FillDataDump(const core::CpuState& cpu)
{
    std::vector<std::string> lines;
    auto row = [&lines](std::string line, auto cellText) {
        for (int j = 0; j < 16; ++j) line += " " + cellText(j);
        lines.push_back(std::move(line));
    };
    if (core::HasUpperRam(cpu.Chip())) {
        lines.push_back("Upper RAM 80H-FFH (@R0, @R1, stack)");
        for (int k = 0; k < 8; ++k) {
            row("I:" + core::ToHexByte(0x80u + 16u * static_cast<unsigned>(k)), [&](int j) {
                std::string text(2, 'x');
                const auto& cells = cpu.upperRam[static_cast<std::size_t>(16 * k + j)];
                unsigned value = 0;
                for (int b = 7; b >= 0; --b) {
                    if (cells[static_cast<std::size_t>(b)] != core::kBitZero &&
                        cells[static_cast<std::size_t>(b)] != core::kBitOne)
                        return text;
                    value = 2 * value + (cells[static_cast<std::size_t>(b)] == core::kBitOne);
                }
                return core::ToHexByte(value);
            });
        }
    }
    for (int page = 0; page < 256; ++page) {
        const auto begin = cpu.externalMemory.begin() + 256 * page;
        if (std::all_of(begin, begin + 256,
                        [](const core::HexCell& cell) { return cell.IsUnloaded(); }))
            continue;
        lines.push_back("External RAM page " + core::ToHexByte(static_cast<unsigned>(page)) +
                        "xxH (cells written)");
        for (int k = 0; k < 16; ++k) {
            const int base = 256 * page + 16 * k;
            if (std::all_of(begin + 16 * k, begin + 16 * k + 16,
                            [](const core::HexCell& cell) { return cell.IsUnloaded(); }))
                continue;
            row("X:" + core::ToHexWord(static_cast<unsigned>(base)), [&](int j) {
                return cpu.externalMemory[static_cast<std::size_t>(base + j)].Text();
            });
        }
    }
    return lines;
}

std::vector<std::string> FillCodeDump(const core::CpuState& cpu)
{
    std::vector<std::string> lines;
    lines.reserve(256);
    for (int k = 0; k < 256; ++k) {
        std::string line = core::ToHexWord(16u * k);
        for (int j = 0; j < 16; ++j) {
            const core::HexCell cell = cpu.codeMemory[16 * k + j];
            line += ' ';
            line += cell.hi;
            line += cell.lo;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace zelo::app
