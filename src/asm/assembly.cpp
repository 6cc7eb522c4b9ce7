#include "asm/assembly.h"

#include <algorithm>

#include "core/ascii_text.h"
#include "core/hex_text.h"

namespace zelo::assembler {

CodeByte ByteFromText(std::string_view text)
{
    if (text.empty() || text == kNoByte) return {};
    if (text == kPlaceholder) return CodeByte::Pending();
    if (text.size() == 2 && core::IsUpperHexDigit(text[0]) && core::IsUpperHexDigit(text[1]))
        return CodeByte::Of(static_cast<unsigned>(core::ParseHexByteValue(text)));
    return CodeByte::Error();
}

std::array<char, 2> ByteChars(CodeByte b)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    switch (b.state) {
        case ByteState::Value:
            return {kDigits[b.value >> 4], kDigits[b.value & 0xF]};
        case ByteState::Pending:
            return {'x', 'x'};
        case ByteState::Error:
            return {'?', '?'};
        case ByteState::None:
            break;
    }
    return {' ', ' '};
}

void Assembly::Clear()
{
    lines.clear();
    symbols.Clear();
    labels.Clear();
    headers.clear();
    libraryCount = 0;
    totalLines = 0;
    expansionLines = 0;
    round1Problems = 0;
    round2Problems = 0;
    problemLines.clear();
    missingModules.clear();
    libraryText.clear();
    linkProblem.clear();
    warnings.clear();
    resolved = false;
    m_text.clear();
    m_data.clear();
    m_pending.clear();
    m_notes.clear();
    source.reset();
}

void Assembly::Reserve(std::size_t lineCount, std::size_t textSize)
{
    lines.reserve(lineCount);
    m_text.reserve(textSize);
}

std::string Assembly::LineName(int number) const
{
    if (number > libraryCount) {
        const AsmLine* line =
            number <= static_cast<int>(lines.size()) ? &lines[number - 1] : nullptr;
        if (line && line->expansion)
            return "line " + std::to_string(WrittenLine(*line)) + " (expanded from line " +
                   std::to_string(line->sourceLine) + ")";
        return "line " + std::to_string(SourceNumber(number));
    }
    for (const HeaderSpan& h : headers) {
        if (number >= h.first && number < h.first + h.count)
            return "line " + std::to_string(number - h.first + 1) + " of " + h.name;
    }
    return "line " + std::to_string(number);
}

int Assembly::FirstProblemNumber() const
{
    if (problemLines.empty()) return 0;
    return *std::min_element(problemLines.begin(), problemLines.end());
}

int Assembly::FirstProblemSourceLine() const
{
    if (problemLines.empty()) return 0;
    return SourceNumber(FirstProblemNumber());
}

TextSlice Assembly::Keep(std::string_view text)
{
    if (text.empty()) return {};
    const TextSlice slice{static_cast<uint32_t>(m_text.size()), static_cast<uint32_t>(text.size())};
    m_text.append(text);
    return slice;
}

void Assembly::KeepData(AsmLine& line, std::span<const CodeByte> bytes)
{
    line.dataFirst = static_cast<uint32_t>(m_data.size());
    line.dataCount = static_cast<uint32_t>(bytes.size());
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
}

std::span<const CodeByte> Assembly::Code(const AsmLine& line) const
{
    if (line.kind == LineKind::Data) return Data(line);
    if (line.kind == LineKind::Instruction)
        return std::span<const CodeByte>(line.bytes)
            .first(static_cast<std::size_t>(std::clamp(line.length, 0, 3)));
    return {};
}

void Assembly::AddPendingWord(AsmLine& line, uint32_t index, std::string_view text)
{
    const TextSlice kept = Keep(text);
    LineNote& note = NoteOf(line);
    if (note.pendingCount == 0) note.pendingFirst = static_cast<uint32_t>(m_pending.size());
    m_pending.push_back({index, kept});
    ++note.pendingCount;
}

Assembly::LineNote& Assembly::NoteOf(AsmLine& line)
{
    if (line.note == 0) {
        m_notes.emplace_back();
        line.note = static_cast<uint32_t>(m_notes.size());
    }
    return m_notes[line.note - 1];
}

void Assembly::SetMessage(AsmLine& line, std::string_view message)
{
    if (message.empty() && line.note == 0) return;
    const TextSlice kept = Keep(message);
    NoteOf(line).message = kept;
}

void Assembly::SetReason(AsmLine& line, std::string_view reason)
{
    if (reason.empty() && line.note == 0) return;
    const TextSlice kept = Keep(reason);
    NoteOf(line).reason = kept;
}

void Assembly::KeepTexts(AsmLine& line, const std::array<std::string_view, AsmLine::kKeptTexts>& texts)
{
    line.keptAt = static_cast<uint32_t>(m_text.size());
    line.longTexts = false;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        if (texts[k].size() > 0xFF) line.longTexts = true;
        line.keptSizes[k] = static_cast<uint8_t>(std::min<std::size_t>(texts[k].size(), 0xFF));
        m_text.append(texts[k]);
    }
    if (!line.longTexts) return;
    // Rare: a text too long for an 8-bit size is kept with full slices.
    LineNote& note = NoteOf(line);
    uint32_t at = line.keptAt;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        note.longTexts[k] = {at, static_cast<uint32_t>(texts[k].size())};
        at += static_cast<uint32_t>(texts[k].size());
    }
}

bool Assembly::HasProblemByte(const AsmLine& line) const
{
    auto error = [](const CodeByte& b) { return b.IsError(); };
    return std::any_of(line.bytes.begin(), line.bytes.end(), error) ||
           std::any_of(Data(line).begin(), Data(line).end(), error);
}

void LineDraft::Clear()
{
    bytes = {};
    kind = LineKind::Nothing;
    fixup = FixupKind::None;
    isCall = false;
    refused = false;
    symbolic.clear();
    message.clear();
    reason.clear();
    data.clear();
    wordCount = 0;
}

void LineDraft::AddPendingWord(uint32_t index, std::string_view text)
{
    if (wordCount == pendingWords.size()) pendingWords.emplace_back();
    Word& w = pendingWords[wordCount++];
    w.index = index;
    w.text.assign(text);
}

}  // namespace zelo::assembler
