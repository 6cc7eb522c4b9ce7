// A short text held in the object itself: tables of such texts are constant
// data the compiler lays out, with no pointer the loader has to fix up and
// no allocation when a program starts.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string_view>
#include <type_traits>

namespace zelo::core {

// At most N characters; a longer text is cut (tables choose N to fit theirs).
template <std::size_t N>
class FixedText
{
    static_assert(N <= 255);

public:
    constexpr FixedText() = default;
    constexpr FixedText(std::string_view text) : m_size(static_cast<uint8_t>(std::min(text.size(), N)))
    {
        // A table built while compiling fails to compile rather than cut a text.
        if (std::is_constant_evaluated() && text.size() > N) throw "text longer than its FixedText";
        for (std::size_t k = 0; k < m_size; ++k) m_chars[k] = text[k];
    }

    constexpr std::string_view View() const { return {m_chars, m_size}; }
    constexpr operator std::string_view() const { return View(); }
    constexpr bool empty() const { return m_size == 0; }
    constexpr std::size_t size() const { return m_size; }
    constexpr const char* data() const { return m_chars; }
    constexpr char operator[](std::size_t k) const { return m_chars[k]; }
    constexpr bool starts_with(std::string_view prefix) const { return View().starts_with(prefix); }

    friend constexpr bool operator==(const FixedText& a, std::string_view b) { return a.View() == b; }
    friend constexpr bool operator==(const FixedText& a, const FixedText& b) { return a.View() == b.View(); }
    friend std::ostream& operator<<(std::ostream& out, const FixedText& t) { return out << t.View(); }

private:
    char m_chars[N]{};
    uint8_t m_size = 0;
};

}  // namespace zelo::core
