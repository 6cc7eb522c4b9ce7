// Writing a file so that nothing half-written is ever seen: the bytes go
// into a temporary file in the same folder, which is renamed over the
// target only when all of them were written. A file that exists keeps its
// mode and owner, and a symbolic link is written through to its target.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace zelo::core {

// How far a write goes: Durable flushes the data to the disk before the
// rename (fsync) and the folder after it; Regenerable skips both for files
// rebuilt from others on every run (listings, HEX and task files), whose
// old file is removed just before the rename: no half-written file is ever
// seen, only for a moment none.
enum class FileSync { Durable, Regenerable };

// A file written in pieces: Write() as often as needed, then Commit(). A
// writer dropped without a successful Commit() removes its temporary file
// and leaves the target as it was. The first failure is kept: later writes
// do nothing, and Commit() reports it.
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter(const std::filesystem::path& target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(std::string_view bytes);
    // Puts the file in place; false with the reason in *error when any step
    // failed ("Cannot write NAME: reason").
    bool Commit(FileSync sync, std::string* error = nullptr);

private:
    void Fail(int error);
    void Discard();

    struct stat m_old{};                // what stood at the target when the writer started
    std::filesystem::path m_target;     // after following a symbolic link
    std::string m_shownName;            // the name the caller asked for
    std::string m_temporary;
    int m_fd = -1;
    int m_error = 0;
};

// Writes the bytes as they are, atomically.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes, std::string* error = nullptr,
                     FileSync sync = FileSync::Durable);

}  // namespace zelo::core
