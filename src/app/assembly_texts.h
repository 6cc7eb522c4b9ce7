// The texts shown for assembling: the AsmFile caption and AsmText box while
// a run steps, the ParsecText trace, the status line, and the report of a
// whole run. They are made from what a run reports (its Assembly and what
// became of its files); the window, z51 asm and the grader all use them.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "asm/assembler_session.h"
#include "asm/assembly.h"

namespace zelo::app {

// The report of a whole run: the chip, then the first problem line with its
// fields and message and the counts of both rounds, or the files created.
// Files that could not be written follow, one line each.
std::string AssemblyReport(const assembler::Assembly& assembly,
                           const assembler::AssemblyOutcome& outcome);
// The report of one AsmAll of the session.
std::string AsmAllReport(const assembler::AssemblerSession& session, const assembler::AsmStep& step);
// The status line after a run with problems; empty when both rounds passed.
std::string AssemblyStatusText(const assembler::Assembly& assembly,
                               const std::string& programName);
// The files that could not be written, one line each.
std::string WriteFailuresText(std::span<const assembler::WriteFailure> failures);
// The report of AsmAll on a source without a single line.
std::string EmptySourceText(const std::string& programName);

// The AsmFile caption while line `number` is assembled (counted without
// header lines), and the AsmText box once every line was.
std::string LineProgressCaption(const assembler::Assembly& assembly, int number);
std::string EndOfFileText(const assembler::Assembly& assembly);
// The AsmFile caption after a source of `lines` lines was read.
std::string SourceLinesCaption(int lines);

// One ParsecText line per traced line: number, address, the bytes as Round 1
// left them, the fields and the comment, in fixed columns.
void AppendTraceLines(const assembler::Assembly& assembly,
                      std::span<const assembler::TracedLine> traced, std::string& out);

// The assembler's texts of the window, kept from one command to the next.
struct AssemblerTexts
{
    std::string asmFileCaption;  // AsmFile frame
    std::string asmText;         // AsmText box
    std::string trace;           // ParsecText
    std::string status;          // status line
    std::string report;          // 編輯ASMList
    std::string failures;        // files that could not be written
    std::size_t traceShown = 0;  // traced lines already in `trace`

    // Follows one AsmNextLine or AsmAll of the session.
    void Follow(const assembler::AssemblerSession& session, const assembler::AsmStep& step);
};

}  // namespace zelo::app
