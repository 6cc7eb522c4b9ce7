// The number converter panel: four boxes weiB(0..3) for binary, octal,
// decimal and hexadecimal. Typing into one box fills the other three.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

namespace zelo::app {

inline constexpr std::array<const char*, 4> kConverterLabels{"Bin", "Oct", "Dec", "Hex"};

class NumberConverter {
public:
    // Called for every box the converter writes, while the re-entry guard is
    // set: a change event that this write raises comes back into Changed and
    // is ignored.
    using WriteHook = std::function<void(int box, const std::string& text)>;

    void SetWriteHook(WriteHook hook) { m_writeHook = std::move(hook); }

    // The change event of box 0..3 with its new text.
    void Changed(int box, const std::string& text);

    const std::array<std::string, 4>& Boxes() const { return m_boxes; }
    bool Guarded() const { return m_guard; }

    // Base and digit limit of a box.
    static int Base(int box);
    static int MaxDigits(int box);
    // Value of a text in the box's base; nothing for an empty text, a "?",
    // too many digits, a digit outside the base or a value above 65536.
    static std::optional<long> Convert(int box, const std::string& upperText);
    // The value written in a box's base, upper case, no leading zeros.
    static std::string Format(int box, long value);

private:
    void Write(int box, const std::string& text);

    std::array<std::string, 4> m_boxes;
    bool m_guard = false;
    WriteHook m_writeHook;
};

}  // namespace zelo::app
