#include "core/watch_list.h"

#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/cell_word.h"

namespace zelo::core {

namespace {

// Hexadecimal digits with an optional "0X" prefix or "H" suffix, at most
// `maxDigits` digits; text already upper-cased.
std::optional<unsigned> ParseHexNumber(std::string_view text, std::size_t maxDigits)
{
    if (text.size() > 2 && text.substr(0, 2) == "0X")
        text.remove_prefix(2);
    else if (text.size() > 1 && text.back() == 'H')
        text.remove_suffix(1);
    if (text.empty() || text.size() > maxDigits + 1) return std::nullopt;
    while (text.size() > maxDigits && text.front() == '0') text.remove_prefix(1);
    if (text.size() > maxDigits) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (!IsUpperHexDigit(c)) return std::nullopt;
        value = 16 * value + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    return value;
}

// A direct byte address: hexadecimal, or a register name of the chip.
std::optional<uint8_t> ParseDirectAddress(std::string_view text, const CpuState* names)
{
    if (names) {
        if (text == "ACC") return sfr::ACC;
        if (auto a = names->LookupSfrAddress(text)) return *a;
    }
    if (auto a = ParseHexNumber(text, 2)) return static_cast<uint8_t>(*a);
    return std::nullopt;
}

}  // namespace

std::string WatchText(const Watch& watch)
{
    std::string text;
    if (watch.space == WatchSpace::External) {
        text = "X:" + ToHexWord(watch.address) + "H";
    } else if (watch.bit >= 0) {
        text = ToHexByte(watch.address) + "." + std::to_string(watch.bit);
    } else {
        text = ToHexByte(watch.address) + "H";
    }
    if (watch.value) {
        text += "=";
        text += watch.bit >= 0 ? std::to_string(*watch.value) : ToHexByte(*watch.value) + "H";
    }
    return text;
}

std::optional<Watch> ParseWatch(std::string_view raw, const CpuState* names)
{
    const std::string text = ToUpperAscii(TrimBlanks(raw));
    std::string_view rest = text;
    Watch watch;
    std::string_view valueText;
    if (const auto eq = rest.find('='); eq != std::string_view::npos) {
        valueText = TrimBlanks(rest.substr(eq + 1));
        rest = TrimBlanks(rest.substr(0, eq));
        if (valueText.empty()) return std::nullopt;
    }
    if (rest.size() > 2 && rest.substr(0, 2) == "X:") {
        const auto a = ParseHexNumber(rest.substr(2), 4);
        if (!a) return std::nullopt;
        watch.space = WatchSpace::External;
        watch.address = static_cast<uint16_t>(*a);
    } else if (const auto dot = rest.find('.'); dot != std::string_view::npos) {
        const std::string_view bit = rest.substr(dot + 1);
        if (bit.size() != 1 || bit[0] < '0' || bit[0] > '7') return std::nullopt;
        const auto a = ParseDirectAddress(rest.substr(0, dot), names);
        // Only the bit-addressable bytes have bits of their own.
        if (!a || (*a < 0x80 ? (*a < 0x20 || *a > 0x2F) : (*a & 7) != 0)) return std::nullopt;
        watch.address = *a;
        watch.bit = static_cast<int8_t>(bit[0] - '0');
    } else {
        const auto a = ParseDirectAddress(rest, names);
        if (!a) return std::nullopt;
        watch.address = *a;
    }
    if (!valueText.empty()) {
        const auto v = ParseHexNumber(valueText, 2);
        if (!v || (watch.bit >= 0 && *v > 1)) return std::nullopt;
        watch.value = static_cast<uint8_t>(*v);
    }
    return watch;
}

std::optional<uint8_t> WatchedValue(const CpuState& cpu, const Watch& watch)
{
    if (watch.space == WatchSpace::External) {
        const HexCell cell = cpu.externalMemory[watch.address];
        const char hiDigit = ToUpperAscii(std::string_view(&cell.hi, 1))[0];
        const char loDigit = ToUpperAscii(std::string_view(&cell.lo, 1))[0];
        if (!IsUpperHexDigit(hiDigit) || !IsUpperHexDigit(loDigit)) return std::nullopt;
        const int hi = HexDigitValue(hiDigit), lo = HexDigitValue(loDigit);
        return static_cast<uint8_t>(16 * hi + lo);
    }
    const auto& cells = cpu.internal[watch.address];
    if (watch.bit >= 0) {
        const BitCell c = cells[static_cast<std::size_t>(watch.bit)];
        if (c != kBitZero && c != kBitOne) return std::nullopt;
        return static_cast<uint8_t>(c == kBitOne);
    }
    const int value = cellword::DefinedValue(cellword::Load(cells));
    if (value < 0) return std::nullopt;
    return static_cast<uint8_t>(value);
}

bool WatchList::Add(const Watch& watch)
{
    for (const Watch& w : m_watches)
        if (w == watch) return true;
    if (m_watches.size() >= static_cast<std::size_t>(kMaxWatches)) return false;
    m_watches.push_back(watch);
    Rebuild();
    return true;
}

void WatchList::Remove(std::size_t index)
{
    if (index >= m_watches.size()) return;
    m_watches.erase(m_watches.begin() + static_cast<std::ptrdiff_t>(index));
    Rebuild();
}

void WatchList::Clear()
{
    m_watches.clear();
    Rebuild();
}

void WatchList::Rebuild()
{
    m_directWatched.fill(false);
    m_hasExternal = false;
    for (const Watch& w : m_watches) {
        if (w.space == WatchSpace::External)
            m_hasExternal = true;
        else
            m_directWatched[w.address & 0xFF] = true;
    }
}

bool WatchList::Written(const Watch& w, const StepWrite& write, const CpuState& cpu,
                        const CurrentInstruction& current) const
{
    if (w.space == WatchSpace::External)
        return write.space == StepWrite::Space::External && write.address == w.address;
    if (write.space != StepWrite::Space::Internal || write.address != w.address) return false;
    if (w.bit < 0) return true;
    const auto bit = static_cast<std::size_t>(w.bit);
    CpuState::ByteCells before;
    cellword::Store(write.before, before);
    if (before[bit] != cpu.internal[w.address][bit]) return true;
    for (int i = 0; i < current.changedCount; ++i) {
        const ChangedLocation& c = current.changed[static_cast<std::size_t>(i)];
        if (c.byte == w.address && (c.bit < 0 || c.bit == w.bit)) return true;
    }
    return false;
}

std::optional<std::size_t> WatchList::Hit(const CpuState& cpu,
                                          const CurrentInstruction& current) const
{
    const StepWrites& record = cpu.StepRecord();
    for (int k = 0; k < record.count; ++k) {
        const StepWrite& write = record.writes[static_cast<std::size_t>(k)];
        const bool watched = write.space == StepWrite::Space::External ? m_hasExternal
                             : write.space == StepWrite::Space::Internal
                                 ? m_directWatched[write.address & 0xFF]
                                 : false;
        if (!watched) continue;
        for (std::size_t i = 0; i < m_watches.size(); ++i) {
            const Watch& w = m_watches[i];
            if (Written(w, write, cpu, current) && (!w.value || WatchedValue(cpu, w) == w.value))
                return i;
        }
    }
    return std::nullopt;
}

}  // namespace zelo::core
