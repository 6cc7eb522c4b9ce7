#include "app/workspace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace zelo::app {
namespace {

namespace fs = std::filesystem;

class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("zelo_ws_" + std::to_string(::getpid()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "home");
        fs::create_directories(m_root / "bin");
        fs::create_directories(m_root / "shipped" / kLibraryFolderName);
        std::ofstream(m_root / "shipped" / "LED.asm") << " MOV P1,#0\r\n";
        m_choice.programFolder = m_root / "bin";
        m_choice.homeFolder = m_root / "home";
        m_choice.shippedExamples = m_root / "shipped";
    }
    void TearDown() override { fs::remove_all(m_root); }

    fs::path m_root;
    WorkspaceChoice m_choice;
};

TEST_F(WorkspaceTest, CommandLineFolderWinsAndMustExist)
{
    m_choice.commandLineFolder = m_root / "shipped";
    m_choice.environmentFolder = m_root / "home";
    auto r = ResolveWorkspace(m_choice);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.folder, m_root / "shipped");
    m_choice.commandLineFolder = m_root / "nowhere";
    r = ResolveWorkspace(m_choice);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("nowhere"), std::string::npos);
}

TEST_F(WorkspaceTest, EnvironmentThenProgramFolderWithLibrary)
{
    m_choice.environmentFolder = m_root / "home";
    EXPECT_EQ(ResolveWorkspace(m_choice).folder, m_root / "home");
    m_choice.environmentFolder.reset();
    fs::create_directories(m_root / "bin" / kLibraryFolderName);
    EXPECT_EQ(ResolveWorkspace(m_choice).folder, m_root / "bin");
}

TEST_F(WorkspaceTest, HomeWorkspaceIsCreatedAndSeededOnce)
{
    auto r = ResolveWorkspace(m_choice);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.folder, m_root / "home" / "ZELO8051");
    EXPECT_TRUE(fs::exists(r.folder / "LED.asm"));
    EXPECT_TRUE(fs::is_directory(r.folder / kLibraryFolderName));
    // A student's edit survives the next start: nothing is copied over it.
    std::ofstream(r.folder / "LED.asm") << "mine";
    ResolveWorkspace(m_choice);
    std::ifstream in(r.folder / "LED.asm");
    std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(content, "mine");
}

// PREFIX/bin/zelo8051 seeds from PREFIX/share/zelo8051 when that folder is
// installed (it has 8051.LIB); elsewhere the build's own examples serve.
TEST_F(WorkspaceTest, InstalledProgramSeedsFromTheShareFolderBesideIt)
{
    const fs::path prefix = m_root / "usr";
    fs::create_directories(prefix / "bin");
    const fs::path sourceTree = m_root / "shipped";
    EXPECT_EQ(ShippedExamplesFolder(prefix / "bin", sourceTree), sourceTree);

    fs::create_directories(prefix / "share" / "zelo8051");
    EXPECT_EQ(ShippedExamplesFolder(prefix / "bin", sourceTree), sourceTree) << "no 8051.LIB: not an installation";

    fs::create_directories(prefix / "share" / "zelo8051" / kLibraryFolderName);
    std::ofstream(prefix / "share" / "zelo8051" / "blink.asm") << " SJMP $\r\n";
    EXPECT_EQ(ShippedExamplesFolder(prefix / "bin", sourceTree), prefix / "share" / "zelo8051");
    EXPECT_EQ(ShippedExamplesFolder({}, sourceTree), sourceTree);

    m_choice.programFolder = prefix / "bin";
    m_choice.shippedExamples = ShippedExamplesFolder(m_choice.programFolder, sourceTree);
    const auto r = ResolveWorkspace(m_choice);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.folder, m_root / "home" / "ZELO8051");
    EXPECT_TRUE(fs::exists(r.folder / "blink.asm"));
    EXPECT_FALSE(fs::exists(r.folder / "LED.asm"));
}

}  // namespace
}  // namespace zelo::app
