#include "grade/grade_report.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace zelo::grade {
namespace {

const char* StatusName(CheckStatus status)
{
    return status == CheckStatus::Pass ? "pass" : "fail";
}

std::string Padded(std::string text, std::size_t width)
{
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string PointsText(int points, int maxPoints)
{
    return std::to_string(points) + "/" + std::to_string(maxPoints);
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

// The report's lines without their blank margins.
std::vector<std::string> ReportLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    auto flush = [&] {
        const auto first = line.find_first_not_of(' ');
        if (first != std::string::npos) lines.push_back(line.substr(first));
        line.clear();
    };
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n')
            flush();
        else
            line += c;
    }
    flush();
    return lines;
}

}  // namespace

std::string ReportTable(const GradeReport& report)
{
    std::string out = "Assignment";
    if (!report.title.empty()) out += ": " + report.title;
    out += " (" + report.chip + ", " + std::to_string(report.maxPoints) + " points)\n\n";
    std::size_t nameWidth = 10;
    for (const SubmissionResult& s : report.submissions)
        nameWidth = std::max(nameWidth, s.name.size() + 2);
    out += Padded("name", nameWidth) + Padded("points", 10) + "failed cases\n";
    for (const SubmissionResult& s : report.submissions) {
        std::string failed;
        if (!s.assembled) {
            failed = "(" + s.failure + ")";
        } else {
            for (const std::string& name : s.FailedCases())
                failed += (failed.empty() ? "" : ", ") + name;
            if (failed.empty()) failed = "-";
        }
        out += Padded(s.name, nameWidth) + Padded(PointsText(s.points, s.maxPoints), 10) + failed +
               "\n";
    }
    std::string notes;
    for (const SubmissionResult& s : report.submissions) {
        if (!s.assembled) {
            notes += "\n" + s.name + " " + s.failure + ":\n";
            for (const std::string& line : ReportLines(s.assemblerReport))
                notes += "    " + line + "\n";
            continue;
        }
        for (const CaseResult& c : s.cases) {
            if (!c.note.empty()) notes += "\n" + s.name + ", " + c.name + ": " + c.note + "\n";
        }
    }
    return out + notes;
}

std::string ReportCsv(const GradeReport& report)
{
    std::string out =
        "submission,case,case_passed,points,max_points,stop,stop_detail,cycles,steps,check,check_"
        "status,expected,"
        "actual,note\r\n";
    for (const SubmissionResult& s : report.submissions) {
        for (const CaseResult& c : s.cases) {
            std::string head = CsvField(s.name) + "," + CsvField(c.name) + "," +
                               (c.passed ? "pass" : "fail") + "," + std::to_string(c.points) + "," +
                               std::to_string(c.maxPoints) + "," + RunStopName(c.stop) + "," +
                               CsvField(c.stopDetail) + "," + std::to_string(c.cycles) + "," +
                               std::to_string(c.steps) + ",";
            const std::string note = s.assembled ? c.note : s.failure;
            if (c.checks.empty()) {
                out += head + ",,,," + CsvField(note) + "\r\n";
                continue;
            }
            for (const CheckResult& check : c.checks) {
                out += head + CsvField(check.what) + "," + StatusName(check.status) + "," +
                       CsvField(check.expected) + "," + CsvField(check.actual) + "," +
                       CsvField(note) + "\r\n";
            }
        }
    }
    return out;
}

std::string ReportJson(const GradeReport& report)
{
    nlohmann::ordered_json root;
    root["title"] = report.title;
    root["chip"] = report.chip;
    root["max_points"] = report.maxPoints;
    nlohmann::ordered_json submissions = nlohmann::ordered_json::array();
    for (const SubmissionResult& s : report.submissions) {
        nlohmann::ordered_json js;
        js["name"] = s.name;
        js["path"] = s.path;
        js["points"] = s.points;
        js["max_points"] = s.maxPoints;
        js["assembled"] = s.assembled;
        if (!s.assembled) {
            js["failure"] = s.failure;
            js["assembler_report"] = ReportLines(s.assemblerReport);
        }
        nlohmann::ordered_json cases = nlohmann::ordered_json::array();
        for (const CaseResult& c : s.cases) {
            nlohmann::ordered_json jc;
            jc["name"] = c.name;
            jc["passed"] = c.passed;
            jc["points"] = c.points;
            jc["max_points"] = c.maxPoints;
            jc["stop"] = RunStopName(c.stop);
            jc["stop_detail"] = c.stopDetail;
            jc["cycles"] = c.cycles;
            jc["steps"] = c.steps;
            if (!c.note.empty()) jc["note"] = c.note;
            nlohmann::ordered_json checks = nlohmann::ordered_json::array();
            for (const CheckResult& check : c.checks) {
                checks.push_back({{"check", check.what},
                                  {"status", StatusName(check.status)},
                                  {"expected", check.expected},
                                  {"actual", check.actual}});
            }
            jc["checks"] = std::move(checks);
            cases.push_back(std::move(jc));
        }
        js["cases"] = std::move(cases);
        submissions.push_back(std::move(js));
    }
    root["submissions"] = std::move(submissions);
    // Texts from student files may hold bytes that are not UTF-8; they are
    // replaced rather than stopping the report.
    return root.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace zelo::grade
