// z51 grade ASSIGNMENT SUBMISSION...: runs every submission (.asm sources,
// assembled with the workspace's "8051.LIB", and .hex files, or folders of
// them) in every case of a TOML assignment and prints a table of points.
// --csv FILE and --json FILE keep every check. Exit status: 0 when grading
// completed (whatever the points), 1 when a report file could not be
// written, 2 for a bad assignment or command line.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "command_registry.h"
#include "core/text_file.h"
#include "grade/assignment_reader.h"
#include "grade/grade_report.h"
#include "grade/grader.h"

namespace {
namespace fs = std::filesystem;

struct GradeOptions
{
    std::string assignment;
    std::vector<std::string> submissions;
    std::string csv;
    std::string json;
    std::string workspace;
    unsigned jobs = 0;
};

// --workspace; else $ZELO8051_HOME; else the nearest folder at or above the
// assignment that holds "8051.LIB"; else the current folder.
fs::path ChooseWorkspace(const GradeOptions& options)
{
    if (!options.workspace.empty()) return options.workspace;
    if (const char* home = std::getenv("ZELO8051_HOME"); home && *home) return home;
    std::error_code ec;
    fs::path folder = fs::absolute(options.assignment, ec).parent_path();
    while (!folder.empty()) {
        if (fs::is_directory(folder / "8051.LIB", ec)) return folder;
        if (folder == folder.parent_path()) break;
        folder = folder.parent_path();
    }
    return fs::current_path(ec);
}

bool WriteReport(const std::string& file, const std::string& text)
{
    std::string error;
    if (zelo::core::WriteFileAtomic(file, text, &error)) return true;
    std::cerr << "z51 grade: " << file << " could not be written: " << error << "\n";
    return false;
}

int Grade(const GradeOptions& options)
{
    const auto read = zelo::grade::ReadAssignmentFile(options.assignment);
    if (!read.assignment) {
        for (const std::string& problem : read.problems) std::cerr << problem << "\n";
        std::cerr << "z51 grade: the assignment has " << read.problems.size()
                  << (read.problems.size() == 1 ? " problem" : " problems")
                  << "; nothing was graded\n";
        return 2;
    }
    std::vector<fs::path> arguments(options.submissions.begin(), options.submissions.end());
    const auto list = zelo::grade::CollectSubmissions(arguments);
    if (!list.problems.empty()) {
        for (const std::string& problem : list.problems)
            std::cerr << "z51 grade: " << problem << "\n";
        std::cerr << "z51 grade: nothing was graded\n";
        return 2;
    }
    const auto report =
        zelo::grade::GradeAll(*read.assignment, list.files, ChooseWorkspace(options), options.jobs);
    std::cout << zelo::grade::ReportTable(report);
    bool written = true;
    if (!options.csv.empty())
        written = WriteReport(options.csv, zelo::grade::ReportCsv(report)) && written;
    if (!options.json.empty()) {
        // Written with CR LF line ends, as every file of the workbench.
        std::string json;
        for (char c : zelo::grade::ReportJson(report)) {
            if (c == '\n') json += '\r';
            json += c;
        }
        written = WriteReport(options.json, json) && written;
    }
    return written ? 0 : 1;
}

zelo::tools::RegisterCommand reg("grade", [](CLI::App& app, const std::string& name) -> std::function<int()> {
    auto options = std::make_shared<GradeOptions>();
    auto* sub = app.add_subcommand(
        name, "Grade submissions (.asm, .hex or folders) against a TOML assignment");
    sub->add_option("assignment", options->assignment, "the assignment file (.toml)")->required();
    sub->add_option("submissions", options->submissions, "submission files or folders")->required();
    sub->add_option("--csv", options->csv, "write every check as CSV to FILE");
    sub->add_option("--json", options->json, "write every check as JSON to FILE");
    sub->add_option("--workspace", options->workspace,
                    "folder whose 8051.LIB serves the sources' INCLUDE lines");
    sub->add_option("--jobs", options->jobs,
                    "worker threads (default: one per core; 1 grades serially)");
    return [options] { return Grade(*options); };
});

}  // namespace
