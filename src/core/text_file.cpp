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
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        if (error) *error = path.filename().string() + " doesn't exist.";
        return std::nullopt;
    }
    auto cannotRead = [&]() -> std::optional<std::string> {
        if (error) *error = "Cannot read " + path.filename().string();
        return std::nullopt;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return cannotRead();
    // Read into a string of the file's size; a file that grows meanwhile is
    // read to its end all the same.
    struct stat st{};
    std::string bytes;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) bytes.resize(static_cast<std::size_t>(st.st_size));
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
    std::size_t breaks = 0;
    for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1))
        ++breaks;
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

namespace {


// Where a write lands: a symbolic link is followed to the file it names, so
// the link stays and its target gets the new contents.
fs::path WriteTarget(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? path : resolved;
}

// The mode a new file gets: read and write for everyone the umask allows.
mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Flushes the folder's entry of a renamed file, so the rename itself
// survives a crash.
void SyncFolder(const fs::path& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool WriteFileAtomic(const fs::path& requested, std::string_view bytes, std::string* error,
                     FileSync sync)
{
    const fs::path path = WriteTarget(requested);
    const std::string shownName = requested.filename().string();
    auto fail = [&](int saved, const std::string* temporary) {
        if (temporary != nullptr) ::unlink(temporary->c_str());
        if (error) *error = "Cannot write " + shownName + ": " + std::strerror(saved);
        return false;
    };
    const fs::path dir = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    std::string tmpl = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(tmpl.data());
    if (fd < 0) return fail(errno, nullptr);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int saved = errno;
            ::close(fd);
            return fail(saved, &tmpl);
        }
        done += static_cast<std::size_t>(n);
    }
    // A file that exists keeps its mode and, as far as this process may set
    // them, its owner and group: replacing it must not make a private file
    // readable by others.
    struct stat old
    {
    };
    if (::stat(path.c_str(), &old) != 0) old.st_mode = 0;
    if (S_ISREG(old.st_mode)) {
        // Without the right to give the file away, keep at least the group;
        // failing that too leaves the new file ours, which is still readable.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 &&
            ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        }
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        ::fchmod(fd, NewFileMode());
    }
    if (sync == FileSync::Durable && ::fsync(fd) != 0) {
        const int saved = errno;
        ::close(fd);
        return fail(saved, &tmpl);
    }
    if (::close(fd) != 0) return fail(errno, &tmpl);
    if (sync == FileSync::Regenerable && S_ISREG(old.st_mode)) {
        // A rename over an existing file makes ext4 write the new file's
        // data out at once (its replace-by-rename safeguard), which costs
        // more than building a listing. A regenerated file is rebuilt by the
        // next run anyway: the old one is removed first, and readers see the
        // whole old file, no file for a moment, or the whole new file.
        ::unlink(path.c_str());
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) return fail(errno, &tmpl);
    if (sync == FileSync::Durable) SyncFolder(dir);
    return true;
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
