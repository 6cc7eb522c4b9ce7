// Grading every submission in every case. Submissions are shared out to
// worker threads; each result goes into its own slot, so the report is in
// submission order and the same for any number of workers.
#pragma once

#include <filesystem>
#include <vector>

#include "grade/assignment.h"
#include "grade/grade_result.h"
#include "grade/submission.h"

namespace zelo::grade {

SubmissionResult GradeSubmission(const Assignment& assignment, const SubmissionFile& file,
                                 const std::filesystem::path& workspace);

// workers 0: one per core.
GradeReport GradeAll(const Assignment& assignment, const std::vector<SubmissionFile>& files,
                     const std::filesystem::path& workspace, unsigned workers = 0);

}  // namespace zelo::grade
