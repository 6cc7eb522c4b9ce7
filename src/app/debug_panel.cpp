#include "app/debug_panel.h"

#include <array>

#include "core/hex_text.h"

namespace zelo::app {

namespace {

int HexValue(const std::string& text)
{
    for (char c : text)
        if (!core::IsUpperHexDigit(c)) return -1;
    return text.empty() ? -1 : core::ParseHexWord(text);
}

std::string Padded(std::string text, std::size_t width)
{
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string WordHexDecimal(const std::string& hexText)
{
    const int v = HexValue(hexText);
    return Padded(hexText + (v < 0 ? "" : "H"), 7) + (v < 0 ? "xx" : std::to_string(v));
}

std::string PswFlags(const core::CpuState& cpu)
{
    static constexpr std::array<const char*, 8> kNames = {"P",   "-",  "OV", "RS0",
                                                          "RS1", "F0", "AC", "CY"};
    std::string text;
    for (int k = 7; k >= 0; --k) {
        if (k == 1) continue;  // bit 1 has no name
        text += ' ';
        text += kNames[static_cast<std::size_t>(k)];
        text += '=';
        const char cell = cpu.internal[core::sfr::PSW][static_cast<std::size_t>(k)];
        text += cell == core::kBitZero || cell == core::kBitOne ? cell : 'x';
    }
    return text;
}

}  // namespace

std::string ByteHexDecimal(const std::string& hexText)
{
    const int v = HexValue(hexText);
    return Padded(" " + hexText + (v < 0 ? "" : "H"), 6) + (v < 0 ? "xx" : std::to_string(v));
}

std::vector<std::string> DebugPanel::Lines() const
{
    std::vector<std::string> lines;
    for (const DebugRow& r : registers) lines.push_back((r.changed ? "*" : " ") + r.text);
    lines.push_back("Breakpoints:");
    for (const auto& b : breakpoints) lines.push_back("  " + b);
    lines.push_back("Watches:");
    for (const auto& w : watches) lines.push_back("  " + w);
    lines.push_back("Calls:");
    for (const auto& c : calls) lines.push_back("  " + c);
    if (!inspector.empty()) lines.push_back(inspector);
    if (!stopMessage.empty()) lines.push_back(stopMessage);
    return lines;
}

void DebugPanelModel::Update(const core::Simulator& sim, const loader::ListingMap& listing,
                             const std::string& inspectorCaption)
{
    const core::CpuState& cpu = sim.Cpu();
    struct Value
    {
        std::string name;
        std::string value;  // what is compared for "changed"
        std::string shown;
    };
    std::vector<Value> values;
    const std::string pc = core::ToHexWord(sim.ProgramCounter());
    values.push_back(
        {"PC", pc, WordHexDecimal(pc) + "  " + listing.Describe(sim.ProgramCounter())});
    auto byte = [&](const char* name, uint8_t address) {
        const std::string text = cpu.PeekRamByteText(address);
        values.push_back({name, text, ByteHexDecimal(text)});
    };
    byte("A", core::sfr::ACC);
    byte("B", core::sfr::B);
    {
        const std::string text = cpu.PeekRamByteText(core::sfr::PSW);
        const std::string flags = PswFlags(cpu);
        values.push_back({"PSW", text + flags, ByteHexDecimal(text) + flags});
    }
    byte("SP", core::sfr::SP);
    {
        const std::string high = cpu.PeekRamByteText(core::sfr::DPH),
                          low = cpu.PeekRamByteText(core::sfr::DPL);
        const std::string text = high == "xx" || low == "xx" ? "xxxx" : high + low;
        values.push_back({"DPTR", text, WordHexDecimal(text)});
    }
    for (int n = 0; n < 8; ++n) {
        const uint8_t address = cpu.registerAddress[static_cast<std::size_t>(n)];
        const std::string text = cpu.PeekRamByteText(address);
        values.push_back({"R" + std::to_string(n), text,
                          ByteHexDecimal(text) + "  (" + core::ToHexByte(address) + "H)"});
    }

    const bool compare = m_previous.size() == values.size();
    m_panel.registers.clear();
    std::vector<std::string> now;
    for (std::size_t i = 0; i < values.size(); ++i) {
        // R0-R7 of another bank are other cells: compared by value and address.
        const std::string key = values[i].value + values[i].shown;
        now.push_back(key);
        m_panel.registers.push_back(DebugRow{Padded(values[i].name, 5) + values[i].shown,
                                             compare && m_previous[i] != key && i != 0});
    }
    m_previous = std::move(now);

    m_panel.breakpoints.clear();
    for (uint16_t a : sim.Breakpoints().Addresses()) {
        std::string row = core::ToHexWord(a) + "H";
        if (const std::string label = listing.LabelAtOrBelow(a); !label.empty())
            row += " " + listing.Describe(a);
        m_panel.breakpoints.push_back(row);
    }
    m_panel.watches.clear();
    for (const core::Watch& w : sim.Watches().Watches()) {
        const auto v = core::WatchedValue(cpu, w);
        std::string now = !v ? "xx" : w.bit >= 0 ? std::to_string(*v) : core::ToHexByte(*v) + "H";
        m_panel.watches.push_back(core::WatchText(w) + "  (now " + now + ")");
    }
    m_panel.calls.clear();
    const int sp = HexValue(cpu.PeekRamByteText(core::sfr::SP));
    for (const core::CallRecord& r : sim.Calls().Live(static_cast<uint8_t>(sp < 0 ? 0 : sp))) {
        std::string row = core::ToHexWord(r.returnAddress) + "H";
        if (!listing.LabelAtOrBelow(r.returnAddress).empty())
            row += " " + listing.Describe(r.returnAddress);
        row += r.interrupt ? "  <- interrupt " : "  <- ";
        row += listing.LabelAtOrBelow(r.target).empty() ? core::ToHexWord(r.target) + "H"
                                                        : listing.Describe(r.target);
        m_panel.calls.push_back(row);
    }
    // The window's own caption is not an inspector's description.
    m_panel.inspector = inspectorCaption == "ZELO8051" ? "" : inspectorCaption;
}

}  // namespace zelo::app
