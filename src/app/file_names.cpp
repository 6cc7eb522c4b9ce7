#include "app/file_names.h"

#include <algorithm>

#include "core/ascii_text.h"

namespace zelo::app {

bool EndsWithNoCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           core::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool MatchesFilePattern(const std::string& name, const std::string& pattern)
{
    std::size_t start = 0;
    while (start <= pattern.size()) {
        const std::size_t end = std::min(pattern.find(';', start), pattern.size());
        std::string_view piece(pattern.data() + start, end - start);
        if (!piece.empty() && piece.front() == '*' && EndsWithNoCase(name, piece.substr(1))) return true;
        start = end + 1;
    }
    return false;
}

bool IsPlainFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return false;
    return name.find('/') == std::string::npos && name.find('\\') == std::string::npos &&
           name.find(':') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += '\n';
    }
    return text;
}

}  // namespace zelo::app
