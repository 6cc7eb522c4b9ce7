// SimulationLog: the simulator's reports, newest first, as shown in the
// listing box. It keeps a fixed number of lines (the oldest fall off), so a
// program that reports for ever costs neither memory nor time; each line
// keeps its own text and line end, and the joined text is built only when
// someone asks for it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelo::core {

inline constexpr int kSimulationLogLines = 100;

class SimulationLog
{
public:
    // Puts a line, followed by CR LF, in front of the log.
    void PutInFront(std::string_view line);
    // The log becomes exactly `text` (the stop messages replace everything).
    void Replace(std::string_view text);
    void Clear();

    bool Empty() const { return m_count == 0; }
    int LineCount() const { return m_count; }
    // The line at `index`, 0 the newest, with its line end.
    std::string_view Line(int index) const;
    // All lines, newest first, joined.
    const std::string& Text() const;
    // Changes whenever the content does: a view copies the text only then.
    uint64_t Revision() const { return m_revision; }

private:
    void PushFront(std::string_view piece, bool addLineEnd);

    std::array<std::string, kSimulationLogLines> m_lines;  // a ring, m_first the newest
    int m_first = 0;
    int m_count = 0;
    uint64_t m_revision = 0;
    mutable std::string m_text;
    mutable uint64_t m_textRevision = ~uint64_t{0};
};

}  // namespace zelo::core
