// What grading found: per submission and case, every check with its expected
// and actual value, how the run stopped and after how many cycles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelo::grade {

enum class CheckStatus { Pass, Fail };

struct CheckResult
{
    std::string what;  // "iram 40H", "reaches DONE", "uart_out"
    std::string expected;
    std::string actual;
    CheckStatus status = CheckStatus::Fail;
};

// How a run ended.
enum class RunStop {
    NotRun,  // the case was not run (the program did not assemble or load)
    Target,  // the program arrived at the case's stop point
    CycleLimit,
    StepLimit,
    NoCode,        // it fetched from memory where nothing was loaded
    UndefinedBit,  // it read a byte with an undefined bit
    Stack,         // the stack pointer left internal RAM
    InputDone,     // the input script arrived at its end
};
const char* RunStopName(RunStop stop);  // "target", "cycle-limit", ...
bool IsErrorStop(RunStop stop);

struct CaseResult
{
    std::string name;
    int points = 0;  // earned
    int maxPoints = 0;
    bool passed = false;
    RunStop stop = RunStop::NotRun;
    std::string stopDetail;  // the label reached, or the simulator's message for an error stop
    uint64_t cycles = 0;
    uint64_t steps = 0;
    std::string note;  // why the case was not run or cannot pass
    std::vector<CheckResult> checks;
};

struct SubmissionResult
{
    std::string name;
    std::string path;
    bool assembled = false;       // it assembled (or loaded) and ran
    std::string failure;          // otherwise: "does not assemble", "cannot be loaded", ...
    std::string assemblerReport;  // when it did not assemble (or load)
    int points = 0;
    int maxPoints = 0;
    std::vector<CaseResult> cases;

    std::vector<std::string> FailedCases() const;
};

struct GradeReport
{
    std::string title;
    std::string chip;
    int maxPoints = 0;
    std::vector<SubmissionResult> submissions;
};

}  // namespace zelo::grade
