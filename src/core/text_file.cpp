#include "core/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

namespace zelo::core {

namespace fs = std::filesystem;

namespace {
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

std::optional<std::string> ReadBinaryFile(const fs::path& path, std::string* error)
{
    auto missing = [&]() -> std::optional<std::string> {
        if (error) *error = path.filename().string() + " doesn't exist.";
        return std::nullopt;
    };
    auto cannotRead = [&]() -> std::optional<std::string> {
        if (error) *error = "Cannot read " + path.filename().string();
        return std::nullopt;
    };
    // Opened without waiting (a FIFO at the name must not block the read),
    // then only a regular file is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR || errno == ELOOP ? missing() : cannotRead();
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return missing();
    }
    // Read into a string of the file's size and one byte more, so the read
    // that finds the end needs no larger buffer; a file that grows meanwhile
    // is read to its end all the same.
    std::string bytes;
    if (st.st_size > 0) bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) bytes.resize(bytes.size() + 4096);
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return cannotRead();
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

bool IsValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Plain ASCII, nearly all of a source, is skipped eight bytes at a time.
        uint64_t word = 0;
        if (i + sizeof word <= bytes.size()) {
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080ull) == 0) {
                i += sizeof word;
                continue;
            }
        }
        const auto c = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        if (c < 0x80) extra = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2) extra = 1;
        else if ((c & 0xF0) == 0xE0) extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4) extra = 3;
        else return false;
        if (i + extra >= bytes.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

std::string DecodeText(std::string_view bytes)
{
    if (IsValidUtf8(bytes)) return std::string(bytes);
    iconv_t cd = iconv_open("UTF-8", "CP950");
    if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "BIG5");
    std::string out;
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (char c : bytes) out += (static_cast<unsigned char>(c) < 0x80) ? std::string(1, c) : "\xEF\xBF\xBD";
        return out;
    }
    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    std::string chunk(4096, '\0');
    while (inLeft > 0) {
        char* outPtr = chunk.data();
        std::size_t outLeft = chunk.size();
        const std::size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk.data(), chunk.size() - outLeft);
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            // A byte that is not Big5 either: mark it and go on.
            out += "\xEF\xBF\xBD";
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

std::optional<std::string> ReadTextFile(const fs::path& path, std::string* error)
{
    auto bytes = ReadBinaryFile(path, error);
    if (!bytes) return std::nullopt;
    // Editors that save "UTF-8 with signature" put a byte-order mark first;
    // it is no part of the first line.
    if (bytes->starts_with(kUtf8ByteOrderMark)) bytes->erase(0, kUtf8ByteOrderMark.size());
    if (IsValidUtf8(*bytes)) return bytes;  // kept as read, without a copy
    return DecodeText(*bytes);
}

namespace {

// Line breaks of a text without CR: one per LF, found with memchr.
std::size_t CountLinesLfOnly(std::string_view text)
{
    // One pass over the bytes, which the compiler vectorises: a search per
    // line costs a call for every line.
    const auto breaks = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    return breaks + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    lines.reserve(CountLines(text));
    ForEachLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::size_t CountLines(std::string_view text)
{
    if (text.find('\r') == std::string_view::npos) return CountLinesLfOnly(text);
    std::size_t count = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            ++count;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    return count + (start < text.size() ? 1 : 0);
}

bool WriteTextLines(const fs::path& path, const std::vector<std::string>& lines, std::string* error,
                    FileSync sync)
{
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return WriteFileAtomic(path, bytes, error, sync);
}

}  // namespace zelo::core
