#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zelo::core {

namespace fs = std::filesystem;

namespace {

// Where a write lands: a symbolic link is followed to the file it names, so
// the link stays and its target gets the new contents. *found is what is at
// that place now (st_mode 0 when nothing is).
fs::path WriteTarget(const fs::path& path, struct stat* found)
{
    if (::lstat(path.c_str(), found) != 0) found->st_mode = 0;
    if (!S_ISLNK(found->st_mode)) return path;
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    if (::stat(path.c_str(), found) != 0) found->st_mode = 0;
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

fs::path FolderOf(const fs::path& path)
{
    return path.parent_path().empty() ? fs::path(".") : path.parent_path();
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const fs::path& target)
    : m_target(WriteTarget(target, &m_old)), m_shownName(target.filename().string())
{
    m_temporary = (FolderOf(m_target) / ("." + m_target.filename().string() + ".XXXXXX")).string();
    m_fd = ::mkstemp(m_temporary.data());
    if (m_fd < 0) {
        m_error = errno;
        m_temporary.clear();
    }
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

void AtomicFileWriter::Discard()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

void AtomicFileWriter::Fail(int error)
{
    if (m_error == 0) m_error = error;
    Discard();
}

void AtomicFileWriter::Write(std::string_view bytes)
{
    std::size_t done = 0;
    while (m_fd >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

bool AtomicFileWriter::Commit(FileSync sync, std::string* error)
{
    auto failed = [&] {
        if (error) *error = "Cannot write " + m_shownName + ": " + std::strerror(m_error);
        return false;
    };
    if (m_fd < 0) return failed();
    // A file that exists keeps its mode and, as far as this process may set
    // them, its owner and group: replacing it must not make a private file
    // readable by others. (What stands at the name was looked at when the
    // writer started.)
    const struct stat& old = m_old;
    if (S_ISREG(old.st_mode)) {
        // Without the right to give the file away, keep at least the group;
        // failing that too leaves the new file ours, which is still readable.
        // A file that is the process's own already needs neither.
        static const uid_t user = ::geteuid();
        static const gid_t group = ::getegid();
        const bool own = old.st_uid == user && old.st_gid == group;
        if (!own && ::fchown(m_fd, old.st_uid, old.st_gid) != 0 &&
            ::fchown(m_fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        }
        ::fchmod(m_fd, old.st_mode & 07777);
    } else {
        ::fchmod(m_fd, NewFileMode());
    }
    if (sync == FileSync::Durable && ::fsync(m_fd) != 0) {
        Fail(errno);
        return failed();
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        Fail(errno);
        return failed();
    }
    if (sync == FileSync::Regenerable && S_ISREG(old.st_mode)) {
        // A rename over an existing file makes ext4 write the new file's
        // data out at once (its replace-by-rename safeguard), which costs
        // more than building a listing. A regenerated file is rebuilt by the
        // next run anyway: the old one is removed first, and readers see the
        // whole old file, no file for a moment, or the whole new file.
        ::unlink(m_target.c_str());
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        Fail(errno);
        return failed();
    }
    m_temporary.clear();
    if (sync == FileSync::Durable) SyncFolder(FolderOf(m_target));
    return true;
}

bool WriteFileAtomic(const fs::path& path, std::string_view bytes, std::string* error, FileSync sync)
{
    AtomicFileWriter file(path);
    file.Write(bytes);
    return file.Commit(sync, error);
}

}  // namespace zelo::core
