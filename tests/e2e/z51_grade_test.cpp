// z51 grade: the sample submissions of the shipped assignments give the
// documented reports, and a bad assignment grades nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "z51_process.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class Z51GradeTest : public ::testing::TestWithParam<const char*>
{
};

TEST_P(Z51GradeTest, SampleSubmissionsGiveTheDocumentedReport)
{
    const fs::path folder = fs::path(ZELO_SOURCE_DIR) / "examples/assignments" / GetParam();
    std::random_device rd;
    const fs::path csv =
        fs::temp_directory_path() / ("zelo_grade_" + std::to_string(rd()) + ".csv");
    // Run in the assignment's folder, as a teacher would; the workspace is the
    // examples folder above it (its 8051.LIB).
    const std::string command = "cd " + folder.string() + " && " + std::string(ZELO_BINARY_DIR) +
                                "/tools/z51 grade assignment.toml submissions --csv " +
                                csv.string();
    for (const char* jobs : {" --jobs 1", " --jobs 4"}) {
        const auto outcome = RunShell(command + jobs);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.out, ReadFile(folder / "expected_report.txt")) << jobs;
        EXPECT_EQ(ReadFile(csv), ReadFile(folder / "expected_report.csv")) << jobs;
    }
    fs::remove(csv);
}

INSTANTIATE_TEST_SUITE_P(Assignments, Z51GradeTest,
                         ::testing::Values("sum_copy", "blink", "echo", "counter_leds"));

TEST(Z51Grade, BadAssignmentIsRefusedWithFieldMessages)
{
    std::random_device rd;
    const fs::path file =
        fs::temp_directory_path() / ("zelo_bad_" + std::to_string(rd()) + ".toml");
    std::ofstream(file)
        << "[[case]]\nname = \"a\"\npoints = \"two\"\nexpect = { no_error = true }\n";
    const auto graded =
        RunZ51("grade " + file.string() + " " + ZELO_SOURCE_DIR + "/examples/sum.asm", true);
    EXPECT_EQ(graded.status, 2);
    EXPECT_NE(graded.out.find(":3:10: case[1].points: must be a whole number"), std::string::npos)
        << graded.out;
    EXPECT_EQ(graded.out.find("points    failed cases"), std::string::npos);
    fs::remove(file);
}

}  // namespace
