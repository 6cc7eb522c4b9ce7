#include "app/assembly_texts.h"

#include "core/ascii_text.h"
#include "core/hex_text.h"

namespace zelo::app {

namespace {

using assembler::AsmLine;
using assembler::Assembly;

constexpr const char* kRule = "-------------------------------";

int ShownTotal(const Assembly& a)
{
    // The source's own lines: header lines and macro expansions aside.
    return a.totalLines - a.libraryCount - a.expansionLines;
}

// The first problem line counted without header lines; a header's line is
// named with its file and a line of a macro expansion with its call, as the
// source has no such line.
std::string FirstProblemWhere(const Assembly& a)
{
    const int first = a.FirstProblemSourceLine();
    const int number = a.FirstProblemNumber();
    const bool named = first < 1 || (number >= 1 && a.lines[number - 1].expansion);
    return !named || number < 1 ? std::to_string(first) : a.LineName(number).substr(5);
}

}  // namespace

std::string AssemblyReport(const Assembly& a, const assembler::AssemblyOutcome& outcome)
{
    std::string r = "        " + std::string(core::ChipName(outcome.chip)) + "\n" + kRule + "\n";
    if (a.round1Problems + a.round2Problems > 0) {
        const int number = a.FirstProblemNumber();
        r += "Problem in line: " + FirstProblemWhere(a) + "\n";
        if (number >= 1 && number <= static_cast<int>(a.lines.size())) {
            const AsmLine& line = a.lines[number - 1];
            for (int k = 1; k <= 5; ++k) {
                r += a.Field(line, k);
                r += k < 5 ? "-" : "\n";
            }
            const std::string_view message = a.Message(line);
            if (!message.empty()) {
                r += message;
                r += "\n";
            }
            // The reason, when it says more than the message above it.
            if (const std::string_view reason = a.Reason(line); reason != message) {
                r += reason;
                r += "\n";
            }
        }
        r += std::string(kRule) + "\n";
        if (a.round1Problems != 0)
            r += "Round 1 Problems :" + std::to_string(a.round1Problems) + "\n";
        if (a.round2Problems != 0)
            r += "Round 2 Problems :" + std::to_string(a.round2Problems) + "\n";
        // Every further problem line with its reason, so that one run tells
        // all that is wrong.
        for (std::size_t k = 1; k < a.problemLines.size(); ++k) {
            const int further = a.problemLines[k];
            if (further < 1 || further > static_cast<int>(a.lines.size())) continue;
            r += "Problem in " + a.LineName(further) + ": ";
            r += a.Reason(a.lines[further - 1]);
            r += "\n";
        }
    } else {
        const std::string& name = outcome.programName;
        r += " Round 1 PASS!   Round 2 PASS! \n";
        if (outcome.listingWritten) r += "    " + name + ".lst  created\n";
        if (!a.missingModules.empty()) {
            for (const std::string& module : a.missingModules)
                r += "    " + module + " doesn't exist\n";
        } else {
            if (outcome.hexWritten) r += "    " + name + ".hex  created\n";
            if (outcome.taskWritten) r += "    " + name + ".tsk  created\n";
        }
    }
    for (const assembler::AssemblyWarning& w : a.warnings) r += WarningText(w) + "\n";
    if (!outcome.failures.empty()) r += WriteFailuresText(outcome.failures) + "\n";
    return r;
}

std::string AsmAllReport(const assembler::AssemblerSession& session, const assembler::AsmStep& step)
{
    if (step.emptySource) return EmptySourceText(session.ProgramName()) + "\n";
    return AssemblyReport(session.Result(), session.Outcome());
}

std::string AssemblyStatusText(const Assembly& a, const std::string& programName)
{
    if (a.round1Problems + a.round2Problems == 0) return {};
    std::string text = programName + ".asm    Total Lines:" + std::to_string(ShownTotal(a)) +
                       "     Problem in line: " + FirstProblemWhere(a);
    // The first problem line's reason follows, as the line is selected.
    if (const int number = a.FirstProblemNumber();
        number >= 1 && number <= static_cast<int>(a.lines.size())) {
        if (const std::string_view reason = a.Reason(a.lines[number - 1]); !reason.empty())
            text += "     " + std::string(reason);
    }
    return text;
}

std::string WriteFailuresText(std::span<const assembler::WriteFailure> failures)
{
    std::string text;
    for (const assembler::WriteFailure& f : failures) {
        if (!text.empty()) text += "\n";
        text += f.fileName + " could not be written: " + f.error;
    }
    return text;
}

std::string EmptySourceText(const std::string& programName)
{
    return programName + ".asm is empty: there is nothing to assemble.";
}

std::string LineProgressCaption(const Assembly& a, int number)
{
    std::string text = "AsmFile has " + std::to_string(ShownTotal(a)) +
                       " lines  ==> This is line " + std::to_string(a.SourceNumber(number));
    if (a.lines[number - 1].neglected) text += ".       This Line is Neglected";
    return text;
}

std::string EndOfFileText(const Assembly& a)
{
    return "AsmFile has " + std::to_string(ShownTotal(a)) + " lines  ==>  End of File";
}

std::string SourceLinesCaption(int lines)
{
    return "AsmFile has " + std::to_string(lines) + " lines ";
}

void AppendTraceLines(const Assembly& a, std::span<const assembler::TracedLine> traced,
                      std::string& out)
{
    for (const assembler::TracedLine& t : traced) {
        const AsmLine& line = a.lines[t.number - 1];
        std::string operands(a.Field(line, 3));
        for (int k = 4; k <= 5; ++k) {
            if (!a.Field(line, k).empty()) {
                operands += ',';
                operands += a.Field(line, k);
            }
        }
        core::AppendFieldRight(std::to_string(t.number), 5, out);
        out += ' ';
        out += core::ToHexWord(line.address);
        out += ' ';
        for (const assembler::CodeByte& b : t.bytes) {
            out.append(assembler::ByteChars(b).data(), 2);
            out += ' ';
        }
        core::AppendField(a.Field(line, 1), 10, out);
        core::AppendField(a.Field(line, 2), 6, out);
        core::AppendField(operands, 20, out);
        out += a.Comment(line);
        out += '\n';
    }
}

void AssemblerTexts::Follow(const assembler::AssemblerSession& session,
                            const assembler::AsmStep& step)
{
    const Assembly& a = session.Result();
    if (step.emptySource) {
        status = EmptySourceText(session.ProgramName());
        report = AsmAllReport(session, step);
        return;
    }
    if (step.started) {
        status.clear();
        failures.clear();
    }
    const auto& traced = session.Trace();
    if (step.started || traced.size() < traceShown) {
        // A new run: its trace starts afresh.
        trace.clear();
        traceShown = 0;
    }
    if (step.endOfFile) asmText = EndOfFileText(a);
    if (step.line > 0) {
        asmText = a.LineText(a.lines[step.line - 1]);
        asmFileCaption = LineProgressCaption(a, step.line);
    }
    if (traceShown < traced.size()) {
        AppendTraceLines(a, std::span(traced).subspan(traceShown), trace);
        traceShown = traced.size();
    }
    if (step.finished) {
        if (!a.linkProblem.empty()) report = a.linkProblem;
        failures = WriteFailuresText(session.WriteFailures());
    }
    if (step.reported) {
        report = AsmAllReport(session, step);
        status = AssemblyStatusText(a, session.ProgramName());
    }
}

}  // namespace zelo::app
