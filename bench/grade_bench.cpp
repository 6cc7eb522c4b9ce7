// Submissions graded per second: a class of 100 (the four sample
// submissions of the sum-and-copy assignment, 25 times each, including the
// one that loops until the limit and the one that does not assemble) in
// the assignment's five cases, on all cores.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "grade/assignment_reader.h"
#include "grade/grader.h"

namespace {

namespace fs = std::filesystem;

void BM_GradeClass(benchmark::State& state)
{
    const fs::path examples = fs::path(ZELO_SOURCE_DIR) / "examples";
    const fs::path folder = examples / "assignments/sum_copy";
    const auto read = zelo::grade::ReadAssignmentFile(folder / "assignment.toml");
    if (!read.assignment) {
        state.SkipWithError("the sum-and-copy assignment cannot be read");
        return;
    }
    const auto samples = zelo::grade::CollectSubmissions({folder / "submissions"});
    std::vector<zelo::grade::SubmissionFile> classFiles;
    for (int k = 0; classFiles.size() < 100; ++k)
        for (const auto& f : samples.files)
            if (classFiles.size() < 100)
                classFiles.push_back({std::to_string(k) + f.name, f.path, {}});
    const auto workers = static_cast<unsigned>(state.range(0));
    for (auto _ : state) {
        auto report = zelo::grade::GradeAll(*read.assignment, classFiles, examples, workers);
        benchmark::DoNotOptimize(report);
    }
    state.counters["submissions/s"] = benchmark::Counter(
        static_cast<double>(classFiles.size()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
// 0: one worker per core; 1: serial.
BENCHMARK(BM_GradeClass)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
