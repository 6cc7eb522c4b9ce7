// Macros and conditional assembly, expanded before the lines are assembled:
//   NAME MACRO p1, p2 ... ENDM     a macro with parameters; LOCAL l1, l2 in
//                                  its body gives names unique per call
//   REPT n ... ENDM                the lines between, n times
//   IF expr / ELSE / ENDIF         expr nonzero: the first part, else the second
//   IFDEF name / IFNDEF name       whether the name is known above the line
// The expander reads the lines once, top to bottom, so it knows a name only
// from the lines above: EQU, SET and CON give a name and its value (SET
// names are the expander's own, for IF and REPT; the assembler never sees
// a SET line); a label and SFR, REG, BIT and DATA give a name whose value
// only the assembler knows (IFDEF sees it, IF cannot use it). Every output
// line carries the source line it came from and, for lines of an
// expansion, the macro line that was written.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/chip_model.h"

namespace zelo::assembler {

struct LineOrigin
{
    std::string file;  // empty for the source being assembled
    int line = 0;      // 1-based

    bool operator==(const LineOrigin&) const = default;
};

struct SourceLine
{
    std::string text;
    LineOrigin origin;
};

struct ExpandedLine
{
    std::string text;
    // False for lines the assembler must not read: directive lines of the
    // expander, macro bodies as defined, lines of a false IF part, calls.
    bool assemble = true;
    LineOrigin origin;   // the line of the source (for an expansion: its call)
    LineOrigin written;  // where the text was written (a macro body line)
    std::string macro;   // the macro, or "REPT", that produced the line
    int depth = 0;       // 0 for a line of the source
};

struct ExpandProblem
{
    LineOrigin where;  // the line at fault (a macro body line in an expansion)
    LineOrigin call;   // the source line whose expansion it is, or line 0
    std::string reason;

    // "line 12: ..." or "line 4 (expanded from line 20): ..."
    std::string Text() const;
};

struct ExpandOptions
{
    int maxDepth = 16;         // macro calls and REPT nested within each other
    int maxLines = 64 * 1024;  // lines the expansion may produce
    // Names known before the first line (for example the chip's registers).
    std::map<std::string, std::optional<long long>> names;
};

struct ExpandedSource
{
    std::vector<ExpandedLine> lines;
    std::vector<ExpandProblem> problems;

    bool Ok() const { return problems.empty(); }
};

// Options whose names are the chip's registers, so that "IFDEF T2CON"
// tells an 8052 from an 8051.
ExpandOptions ChipExpandOptions(core::ChipModel chip);

// Whether a source has lines for the expander (MACRO, REPT, IF, IFDEF,
// IFNDEF, SET); a source without them is assembled as it is written.
bool NeedsExpansion(std::string_view sourceText);
// Whether one line is such a line.
bool LineNeedsExpansion(std::string_view line);

ExpandedSource ExpandSource(const std::vector<SourceLine>& lines,
                            const ExpandOptions& options = {});

}  // namespace zelo::assembler
