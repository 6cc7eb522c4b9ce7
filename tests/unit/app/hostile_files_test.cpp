// Nothing lost: a save or an output file that cannot be written leaves the
// previous file as it was, leaves no temporary file behind and is reported;
// a workspace that disappears while open gives messages, not crashes.
//
// The disk-full case is injected with a file size limit (RLIMIT_FSIZE),
// which holds for root too, unlike folder permissions.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/workbench.h"
#include "asm/assembler_session.h"
#include "core/text_file.h"

namespace zelo::app {
namespace {

namespace fs = std::filesystem;

// Files larger than `bytes` cannot be written while this lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("zelo_hostile_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                    "_" + std::to_string(::getpid()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "8051.LIB");
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(m_folder, fs::perms::owner_all, ec);
        fs::remove_all(m_folder, ec);
    }
    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(m_folder / name, std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const { return core::ReadBinaryFile(m_folder / name).value_or("<none>"); }
    int TemporaryFiles() const
    {
        int count = 0;
        for (const auto& e : fs::directory_iterator(m_folder))
            if (e.path().filename().string().rfind('.', 0) == 0) ++count;
        return count;
    }
    fs::path m_folder;
};

const std::string kOld = "\tNOP\r\n\tEND\r\n";

TEST_F(HostileFiles, AFailedSourceSaveKeepsTheOldFileAndReports)
{
    struct Case {
        const char* name;
        std::string text;       // the new editor text
        rlim_t sizeLimit;       // 0: none
        bool readOnlyFolder;    // only where permissions hold (not for root)
    } cases[] = {
        {"a disk that is full", std::string(4096, ';') + "\r\n\tMOV A,#1\r\n", 64, false},
        {"a folder that is read-only", "\tMOV A,#2\r\n", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.readOnlyFolder && ::geteuid() == 0) continue;
        Write("prog.asm", kOld);
        Workbench wb(m_folder);
        wb.StartUp();
        ASSERT_TRUE(wb.LoadAsmFile("prog"));
        wb.EditSource(c.text);
        SaveOutcome outcome;
        {
            std::unique_ptr<FileSizeLimit> limit;
            if (c.sizeLimit) limit = std::make_unique<FileSizeLimit>(c.sizeLimit);
            if (c.readOnlyFolder) fs::permissions(m_folder, fs::perms::owner_read | fs::perms::owner_exec);
            outcome = wb.ASMSave("prog");
            fs::permissions(m_folder, fs::perms::owner_all);
        }
        EXPECT_EQ(outcome, SaveOutcome::Failed);
        EXPECT_NE(wb.Texts().listBox.find("prog.asm"), std::string::npos) << wb.Texts().listBox;
        EXPECT_TRUE(wb.SourceModified()) << "the unsaved text is still marked as unsaved";
        EXPECT_EQ(wb.SourceText(), c.text) << "the editor keeps the text";
        EXPECT_EQ(Read("prog.asm"), kOld);
        EXPECT_EQ(TemporaryFiles(), 0);
    }
}

TEST_F(HostileFiles, AFolderStandingAtTheSourceNameIsAMessage)
{
    fs::create_directories(m_folder / "prog.asm" / "inside");
    Workbench wb(m_folder);
    wb.StartUp();
    wb.EditSource("\tNOP\r\n");
    EXPECT_EQ(wb.ASMSave("prog"), SaveOutcome::Failed);
    EXPECT_FALSE(wb.Texts().listBox.empty());
    EXPECT_TRUE(fs::is_directory(m_folder / "prog.asm" / "inside"));
    EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(HostileFiles, AssemblerOutputsThatCannotBeWrittenKeepTheOldOnesAndReport)
{
    // Old outputs of an earlier run stand in the workspace.
    Write("PROG.lst", "old listing");
    Write("PROG.hex", ":00000001FF\r\n");
    Write("PROG.tsk", "old");
    assembler::AssemblerSession session(m_folder);
    session.SetProgramName("PROG");
    session.SetSourceText("; " + std::string(300, 'c') + "\r\n\tMOV A,#1\r\n\tEND\r\n");
    {
        FileSizeLimit limit(16);
        session.AsmAll();
    }
    EXPECT_FALSE(session.Succeeded()) << "a run whose files were not written is no success";
    ASSERT_FALSE(session.WriteFailures().empty());
    EXPECT_EQ(session.WriteFailures()[0].fileName, "PROG.lst");
    EXPECT_EQ(Read("PROG.lst"), "old listing");
    EXPECT_EQ(Read("PROG.hex"), ":00000001FF\r\n");
    EXPECT_EQ(TemporaryFiles(), 0);
}

TEST_F(HostileFiles, AWorkspaceThatDisappearsWhileOpenGivesMessages)
{
    Write("prog.asm", "START:\tMOV A,#1\r\n\tSJMP START\r\n\tEND\r\n");
    Workbench wb(m_folder);
    wb.StartUp();
    ASSERT_TRUE(wb.LoadAsmFile("prog"));
    fs::remove_all(m_folder);

    EXPECT_FALSE(wb.LoadAsmFile("prog"));
    wb.EditSource("\tMOV A,#2\r\n\tEND\r\n");
    EXPECT_EQ(wb.ASMSave("prog"), SaveOutcome::Failed);
    EXPECT_FALSE(wb.Texts().listBox.empty());
    EXPECT_EQ(wb.SourceText(), "\tMOV A,#2\r\n\tEND\r\n") << "the editor text is not lost";

    wb.AsmAll();
    EXPECT_FALSE(wb.Assembler().Succeeded());
    EXPECT_FALSE(wb.Assembler().WriteFailures().empty());
    wb.AsmOpneFile();
    EXPECT_TRUE(wb.FileListEntries().empty());
    wb.ClickFile("prog.hex");
    wb.LoadCode();
    wb.OneStep();
    wb.DisAssemble();
    wb.ClickFile("prog.hex");
    EXPECT_FALSE(fs::exists(m_folder)) << "nothing recreates the removed folder behind the user's back";
}

}  // namespace
}  // namespace zelo::app
