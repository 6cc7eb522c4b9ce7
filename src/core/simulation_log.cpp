#include "core/simulation_log.h"

namespace zelo::core {

void SimulationLog::PushFront(std::string_view piece, bool addLineEnd)
{
    m_first = (m_first + kSimulationLogLines - 1) % kSimulationLogLines;
    std::string& line = m_lines[static_cast<std::size_t>(m_first)];
    line.assign(piece);  // keeps the capacity of the line it reuses
    if (addLineEnd) line += "\r\n";
    if (m_count < kSimulationLogLines) ++m_count;
    ++m_revision;
}

void SimulationLog::PutInFront(std::string_view line)
{
    PushFront(line, true);
}

void SimulationLog::Replace(std::string_view text)
{
    Clear();
    // Pieces end after each LF; they are put in front from the last one, so
    // the first piece ends up newest. Only the newest pieces that fit are kept.
    std::array<std::string_view, kSimulationLogLines> pieces;
    int count = 0;
    std::size_t start = 0;
    while (start < text.size() && count < kSimulationLogLines) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
        pieces[static_cast<std::size_t>(count++)] = text.substr(start, end - start);
        start = end;
    }
    for (int i = count - 1; i >= 0; --i) PushFront(pieces[static_cast<std::size_t>(i)], false);
}

void SimulationLog::Clear()
{
    if (m_count == 0) return;
    m_count = 0;
    ++m_revision;
}

std::string_view SimulationLog::Line(int index) const
{
    if (index < 0 || index >= m_count) return {};
    return m_lines[static_cast<std::size_t>((m_first + index) % kSimulationLogLines)];
}

const std::string& SimulationLog::Text() const
{
    if (m_textRevision != m_revision) {
        m_text.clear();
        for (int i = 0; i < m_count; ++i) m_text += Line(i);
        m_textRevision = m_revision;
    }
    return m_text;
}

}  // namespace zelo::core
