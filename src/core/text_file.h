// Reading and writing the workbench's text and binary files.
//
// Reading accepts UTF-8 and, when the bytes are not valid UTF-8, Big5
// (CP950), and any line ending (CR LF, LF, CR). Writing produces CR LF lines
// and goes through a temporary file renamed over the target, so a failed
// write never leaves a half-written file behind. A file that exists keeps
// its mode and owner, and a symbolic link is written through to its target.
// A UTF-8 byte-order mark at the start of a text file is dropped.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/atomic_file.h"

namespace zelo::core {

// The file's text converted to UTF-8, or the reason it could not be read.
std::optional<std::string> ReadTextFile(const std::filesystem::path& path, std::string* error = nullptr);
std::optional<std::string> ReadBinaryFile(const std::filesystem::path& path, std::string* error = nullptr);

// UTF-8 text of bytes that are UTF-8 or, failing that, Big5/CP950.
// Bytes that are neither come back with U+FFFD in their place.
std::string DecodeText(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

// Splits at CR LF, LF or a lone CR. A final line without a line end is kept;
// an empty piece after the last line end is not returned.
std::vector<std::string> SplitLines(std::string_view text);
// Calls visit(line) for each line SplitLines would give, without building
// the list.
template <class Visit>
void ForEachLine(std::string_view text, Visit&& visit)
{
    if (text.find('\r') == std::string_view::npos) {
        // LF endings, the common case: lines are cut at each LF found by memchr.
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) {
                visit(text.substr(start));
                return;
            }
            visit(text.substr(start, end - start));
            start = end + 1;
        }
        return;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            visit(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) visit(text.substr(start));
}
// SplitLines(text).size(), without building the lines.
std::size_t CountLines(std::string_view text);

// Writes each line followed by CR LF, atomically.
bool WriteTextLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                    std::string* error = nullptr, FileSync sync = FileSync::Durable);
}  // namespace zelo::core
