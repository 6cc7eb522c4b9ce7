// One submission in one case: a fresh simulator, the starting values, a run
// to the case's stop point or limit, then every expectation checked.
#pragma once

#include "grade/assignment.h"
#include "grade/grade_result.h"
#include "grade/submission.h"

namespace zelo::grade {

CaseResult RunCase(const Assignment& assignment, const GradingCase& grading,
                   const PreparedProgram& program);

}  // namespace zelo::grade
