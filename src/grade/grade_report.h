// The grading results as the teacher reads them: a table for the terminal,
// and CSV and JSON with every check of every case.
#pragma once

#include <string>

#include "grade/grade_result.h"

namespace zelo::grade {

// Name, points and failed cases per submission; then the assembler's report
// of every submission that did not assemble and the cases that could not be
// graded.
std::string ReportTable(const GradeReport& report);
// One row per check (one per case when the case was not run); CR LF lines.
std::string ReportCsv(const GradeReport& report);
std::string ReportJson(const GradeReport& report);

}  // namespace zelo::grade
