#include "core/text_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace zelo::core {
namespace {

namespace fs = std::filesystem;

class TempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("zelo_text_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_dir);
    }
    void WriteRaw(const fs::path& p, const std::string& bytes)
    {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    fs::path m_dir;
};

TEST(TextLines, EveryLineEndingSplits)
{
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(SplitLines("a\n\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\r\r\n"), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST(TextLines, CountingAgreesWithSplitting)
{
    for (const char* text : {"", "a", "a\r\n", "a\r\nb\nc\rd", "\r\r\n", "\n", "\r", "a\n\nb",
                             "x\r\n\r\ny", "\n\r", "last line without a break", "one\ntwo\n\n"})
        EXPECT_EQ(CountLines(text), SplitLines(text).size()) << '"' << text << '"';
    // LF-only and mixed texts split alike.
    EXPECT_EQ(SplitLines("one\ntwo\n\nfour"), (std::vector<std::string>{"one", "two", "", "four"}));
    EXPECT_EQ(SplitLines("one\ntwo\n"), (std::vector<std::string>{"one", "two"}));
}

TEST(TextLines, Utf8CheckFindsABadByteAnywhere)
{
    // A multi-byte character or a stray byte at every offset of an ASCII text:
    // the check must not skip past it whatever its alignment.
    for (std::size_t at = 0; at < 20; ++at) {
        std::string text(24, 'a');
        EXPECT_TRUE(IsValidUtf8(text.substr(0, at) + "\xE8\xA8\xBB" + text.substr(at))) << at;
        EXPECT_FALSE(IsValidUtf8(text.substr(0, at) + "\xFF" + text.substr(at))) << at;
        EXPECT_FALSE(IsValidUtf8(text.substr(0, at) + "\xA4\xA4" + text.substr(at))) << at;
        EXPECT_FALSE(IsValidUtf8(text.substr(0, at) + "\xE8\xA8")) << at;  // cut at the end
    }
}

TEST(TextLines, Utf8IsKeptAndBig5IsConverted)
{
    EXPECT_TRUE(IsValidUtf8("MOV A,#1 ; 註解"));
    EXPECT_EQ(DecodeText("MOV A,#1 ; 註解"), "MOV A,#1 ; 註解");
    // "中文" in Big5.
    EXPECT_EQ(DecodeText("\xA4\xA4\xA4\xE5"), "中文");
    EXPECT_FALSE(IsValidUtf8("\xE4\xB8"));  // truncated sequence
    // Bytes that are neither keep the text readable around a replacement mark.
    const std::string mixed = DecodeText("A\xFF" "B");
    EXPECT_EQ(mixed.front(), 'A');
    EXPECT_EQ(mixed.back(), 'B');
}

TEST_F(TempDir, WritesCrLfAndReadsBack)
{
    const fs::path p = m_dir / "out.lst";
    ASSERT_TRUE(WriteTextLines(p, {"one", "二"}));
    EXPECT_EQ(ReadBinaryFile(p), "one\r\n二\r\n");
    EXPECT_EQ(SplitLines(*ReadTextFile(p)), (std::vector<std::string>{"one", "二"}));
}

TEST_F(TempDir, FilesOfEverySizeReadBackWhole)
{
    for (std::size_t size : {0u, 1u, 4095u, 4096u, 4097u, 8192u, 100003u}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + i % 23);
        const fs::path p = m_dir / ("f" + std::to_string(size));
        WriteRaw(p, bytes);
        EXPECT_EQ(ReadBinaryFile(p), bytes) << size;
        EXPECT_EQ(ReadTextFile(p), bytes) << size;
    }
}

TEST_F(TempDir, MissingFileIsAMessageNotACrash)
{
    std::string error;
    EXPECT_FALSE(ReadTextFile(m_dir / "none.asm", &error));
    EXPECT_EQ(error, "none.asm doesn't exist.");
}

TEST_F(TempDir, FailedWriteKeepsTheOldFile)
{
    const fs::path p = m_dir / "keep.asm";
    WriteRaw(p, "old");
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(WriteFileAtomic(p, "new", &error));
    EXPECT_NE(error.find("keep.asm"), std::string::npos);
    fs::permissions(m_dir, fs::perms::owner_all);
    EXPECT_EQ(ReadBinaryFile(p), "old");
}

TEST_F(TempDir, FailedRenameLeavesTargetAndNoTemporaryFile)
{
    // A folder standing where the file should go makes the final step fail,
    // whether the file is swapped in or renamed over the old one.
    fs::create_directories(m_dir / "busy.hex" / "inside");
    for (FileSync sync : {FileSync::Durable, FileSync::Regenerable}) {
        std::string error;
        EXPECT_FALSE(WriteFileAtomic(m_dir / "busy.hex", "data", &error, sync));
        EXPECT_NE(error.find("busy.hex"), std::string::npos);
        EXPECT_TRUE(fs::is_directory(m_dir / "busy.hex" / "inside"));
        int entries = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(m_dir)) ++entries;
        EXPECT_EQ(entries, 1) << "the temporary file is removed";
    }
}

TEST_F(TempDir, ReplacingAFileNeverWritesIntoTheOldOne)
{
    // The new text takes the name; the old file is untouched, so whoever holds
    // it (here a second link) still reads it whole.
    for (FileSync sync : {FileSync::Durable, FileSync::Regenerable}) {
        const fs::path p = m_dir / "prog.lst";
        const fs::path held = m_dir / "held";
        fs::remove(held);
        WriteRaw(p, "old text");
        fs::create_hard_link(p, held);
        ASSERT_TRUE(WriteFileAtomic(p, "new text", nullptr, sync));
        EXPECT_EQ(ReadBinaryFile(p), "new text");
        EXPECT_EQ(ReadBinaryFile(held), "old text");
        EXPECT_EQ(fs::status(p).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                      fs::perms::others_read);
        int entries = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(m_dir)) ++entries;
        EXPECT_EQ(entries, 2) << "no temporary or old file is left";
        // A symbolic link at the name stays; the file it names gets the text.
        fs::remove(p);
        fs::create_symlink(held, p);
        ASSERT_TRUE(WriteFileAtomic(p, "third", nullptr, sync));
        EXPECT_TRUE(fs::is_symlink(p));
        EXPECT_EQ(ReadBinaryFile(held), "third");
        fs::remove(p);
    }
}

TEST_F(TempDir, AFileWrittenInPiecesAppearsOnlyWhenCommitted)
{
    const fs::path p = m_dir / "prog.lst";
    WriteRaw(p, "old text");
    {
        AtomicFileWriter file(p);
        file.Write("half a ");
        // Dropped without Commit: the old file stays and no temporary is left.
    }
    EXPECT_EQ(ReadBinaryFile(p), "old text");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(m_dir)) ++entries;
    EXPECT_EQ(entries, 1);
    AtomicFileWriter file(p);
    file.Write("new ");
    file.Write("");
    file.Write("text");
    ASSERT_TRUE(file.Commit(FileSync::Regenerable));
    EXPECT_EQ(ReadBinaryFile(p), "new text");
    // A writer that could not even start says why at Commit.
    AtomicFileWriter nowhere(m_dir / "missing" / "prog.lst");
    nowhere.Write("text");
    std::string error;
    EXPECT_FALSE(nowhere.Commit(FileSync::Regenerable, &error));
    EXPECT_NE(error.find("Cannot write prog.lst"), std::string::npos);
}

TEST_F(TempDir, OnlyARegularFileIsRead)
{
    // A folder or a FIFO at the name is no file to read; the FIFO is not
    // waited on.
    fs::create_directories(m_dir / "folder.asm");
    ASSERT_EQ(::mkfifo((m_dir / "pipe.asm").c_str(), 0600), 0);
    for (const char* name : {"folder.asm", "pipe.asm", "missing.asm"}) {
        std::string error;
        EXPECT_FALSE(ReadTextFile(m_dir / name, &error));
        EXPECT_EQ(error, std::string(name) + " doesn't exist.");
    }
}

TEST_F(TempDir, AByteOrderMarkIsDroppedOnRead)
{
    // UTF-8 and Big5 after a mark; a mark elsewhere is text.
    const std::pair<std::string, std::string> cases[] = {{"\xEF\xBB\xBFSTART:\r\n", "START:\r\n"},
                                                         {"\xEF\xBB\xBF\xA4\xA4", "\xE4\xB8\xAD"},
                                                         {"A\xEF\xBB\xBF", "A\xEF\xBB\xBF"}};
    for (const auto& [bytes, text] : cases) {
        WriteRaw(m_dir / "t.asm", bytes);
        EXPECT_EQ(ReadTextFile(m_dir / "t.asm"), text);
    }
}

// Replacing a file keeps what its owner set: a private source stays private
// whichever way it is written.
TEST_F(TempDir, ReplacingAFileKeepsItsMode)
{
    for (FileSync sync : {FileSync::Durable, FileSync::Regenerable}) {
        for (mode_t mode : {0600, 0640, 0755}) {
            const fs::path p = m_dir / "private.asm";
            WriteRaw(p, "old");
            ASSERT_EQ(::chmod(p.c_str(), mode), 0);
            ASSERT_TRUE(WriteFileAtomic(p, "new", nullptr, sync));
            struct stat st
            {
            };
            EXPECT_TRUE(::stat(p.c_str(), &st) == 0 && (st.st_mode & 07777) == mode);
        }
    }
}

TEST_F(TempDir, WriteIntoMissingFolderFailsCleanly)
{
    std::string error;
    EXPECT_FALSE(WriteFileAtomic(m_dir / "gone" / "x.hex", "data", &error));
    EXPECT_FALSE(error.empty());
}

TEST_F(TempDir, AtomicWriteLeavesNoTemporaryFiles)
{
    ASSERT_TRUE(WriteFileAtomic(m_dir / "a.tsk", std::string("\x02\x00\x30", 3)));
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(m_dir)) ++files;
    EXPECT_EQ(files, 1);
    EXPECT_EQ(ReadBinaryFile(m_dir / "a.tsk")->size(), 3u);
}

}  // namespace
}  // namespace zelo::core
