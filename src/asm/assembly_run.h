// One run of the assembler over a source: the line table built from the
// header lines and the source lines, Round 1 line by line, then Round 2
// (modules linked, fix-ups resolved). The window steps a run one line at a
// time; Assemble runs one through. Reads files only through the resolver.
#pragma once

#include <bitset>
#include <optional>
#include <string>
#include <string_view>

#include "asm/assembly.h"
#include "asm/source_file.h"
#include "core/chip_model.h"

namespace zelo::assembler {

class AssemblyRun
{
public:
    explicit AssemblyRun(core::ChipModel chip = core::ChipModel::C8051) : m_assembly(chip) {}

    void SetChip(core::ChipModel chip) { m_assembly.symbols.SetChip(chip); }
    core::ChipModel Chip() const { return m_assembly.symbols.Chip(); }

    // Builds the line table and assembles the header lines. The resolver
    // must outlive the run.
    void Start(std::shared_ptr<const std::string> source, const SourceResolver& resolver);
    void Start(std::string_view sourceText, const SourceResolver& resolver);
    // Assembles the next line; false when every line was assembled.
    bool AssembleNext();
    // The number of the line assembled last (header lines count).
    int CurrentLine() const { return m_currentLine; }
    bool LinesDone() const { return m_currentLine >= m_assembly.totalLines; }
    // Round 2: links the modules when Round 1 passed, then resolves every
    // fix-up in line order.
    void Resolve();
    // Empties the line table and the symbols (a new run needs Start).
    void Clear();

    const Assembly& Result() const { return m_assembly; }
    Assembly& Result() { return m_assembly; }

private:
    void AssembleLine(int number);
    void DefineLabel(bool hasLabel, int number);
    void KeepDraft(AsmLine& row);
    void CountRound1Problem(int number);
    // Code past FFFFH or over bytes that earlier lines placed: the line's
    // message, empty when the line's bytes find free cells.
    std::string PlaceCode(const AsmLine& line, unsigned start, int number);

    // round2.cpp
    // An immediate byte that waited for Round 2 on a name no label defines
    // was a Round 1 problem all along.
    void RefuseUnknownByteNames();
    void LinkExterns();
    void ResolveLine(int number);
    std::optional<unsigned> ResolveTarget(std::string_view text, int number,
                                          bool expressionFirst) const;
    // An immediate byte naming labels: a byte selection (#>, #<) or an
    // expression whose value fits a byte.
    std::optional<unsigned> ResolveByte(std::string_view text, int number) const;
    int ProgramEnd() const;
    // "LOOP is not defined (did you mean LOOP1?)" for a target no label,
    // symbol or expression gives.
    std::string MissingTargetReason(std::string_view target) const;

    Assembly m_assembly;
    const SourceResolver* m_resolver = nullptr;
    LineDraft m_draft;  // the line being assembled
    int m_currentLine = 0;
    // Up to 10000H: a line may end exactly at FFFFH; beyond is a problem.
    unsigned m_locationCounter = 0;
    std::bitset<0x10000> m_occupied;  // code cells placed by the lines so far
    bool m_endSeen = false;
};

// Assembles a source through both rounds.
Assembly Assemble(std::string_view sourceText, core::ChipModel chip,
                  const SourceResolver& resolver);

}  // namespace zelo::assembler
