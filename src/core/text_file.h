// Reading and writing the workbench's text and binary files.
//
// Reading accepts UTF-8 and, when the bytes are not valid UTF-8, Big5
// (CP950), and any line ending (CR LF, LF, CR). Writing produces CR LF lines
// and goes through a temporary file renamed over the target, so a failed
// write never leaves a half-written file behind.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelo::core {

struct FileError {
    std::string message;
};

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

// Writes each line followed by CR LF, atomically.
bool WriteTextLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                    std::string* error = nullptr);
// Writes the bytes as they are, atomically.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, std::string* error = nullptr);

}  // namespace zelo::core
