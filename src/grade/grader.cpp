#include "grade/grader.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "core/ascii_text.h"
#include "grade/case_run.h"

namespace zelo::grade {

std::vector<std::string> SubmissionResult::FailedCases() const
{
    std::vector<std::string> failed;
    for (const CaseResult& c : cases)
        if (!c.passed) failed.push_back(c.name);
    return failed;
}

SubmissionResult GradeSubmission(const Assignment& assignment, const SubmissionFile& file,
                                 const std::filesystem::path& workspace)
{
    SubmissionResult result;
    result.name = file.name;
    result.path = file.path.generic_string();
    result.maxPoints = assignment.TotalPoints();
    const PreparedProgram program = PrepareSubmission(file, workspace, assignment.chip);
    result.assembled = program.ok;
    if (!program.ok) {
        result.assemblerReport = program.report;
        const std::string ext = core::ToUpperAscii(file.path.extension().string());
        result.failure = !file.problem.empty() ? "cannot be graded"
                         : ext == ".HEX"       ? "cannot be loaded"
                                               : "does not assemble";
    }
    for (const GradingCase& grading : assignment.cases) {
        result.cases.push_back(RunCase(assignment, grading, program));
        result.points += result.cases.back().points;
    }
    return result;
}

GradeReport GradeAll(const Assignment& assignment, const std::vector<SubmissionFile>& files,
                     const std::filesystem::path& workspace, unsigned workers)
{
    GradeReport report;
    report.title = assignment.title;
    report.chip = core::ChipName(assignment.chip);
    report.maxPoints = assignment.TotalPoints();
    report.submissions.resize(files.size());
    if (workers == 0) workers = std::max(1u, std::thread::hardware_concurrency());
    workers = static_cast<unsigned>(std::min<std::size_t>(workers, files.size()));

    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++)
            report.submissions[i] = GradeSubmission(assignment, files[i], workspace);
    };
    // The calling thread is one of the workers; when the system refuses a
    // thread, the ones already started and this one share the work.
    std::vector<std::thread> pool;
    for (unsigned k = 1; k < workers; ++k) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
    for (std::thread& t : pool) t.join();
    return report;
}

}  // namespace zelo::grade
