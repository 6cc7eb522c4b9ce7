#include "app/debug_marks.h"

#include <system_error>

#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/text_file.h"

namespace zelo::app {

namespace {
constexpr const char* kHeader = "; ZELO8051 breakpoints and watches";

std::optional<uint16_t> ParseAddress(std::string_view text)
{
    std::string digits = core::ToUpperAscii(core::TrimBlanks(text));
    if (digits.size() > 1 && digits.back() == 'H') digits.pop_back();
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    for (char c : digits)
        if (!core::IsUpperHexDigit(c)) return std::nullopt;
    return static_cast<uint16_t>(core::ParseHexWord(digits));
}
}  // namespace

std::vector<std::string> DebugMarksLines(const DebugMarks& marks)
{
    std::vector<std::string> lines{kHeader};
    for (uint16_t a : marks.breakpoints) lines.push_back("BREAK " + core::ToHexWord(a) + "H");
    for (const core::Watch& w : marks.watches) lines.push_back("WATCH " + core::WatchText(w));
    return lines;
}

DebugMarks ParseDebugMarks(const std::vector<std::string>& lines, int* skipped)
{
    DebugMarks marks;
    int bad = 0;
    for (const std::string& raw : lines) {
        const std::string_view line = core::TrimBlanks(raw);
        if (line.empty() || line[0] == ';') continue;
        const std::string upper = core::ToUpperAscii(line);
        if (upper.rfind("BREAK ", 0) == 0) {
            if (const auto a = ParseAddress(line.substr(6))) {
                marks.breakpoints.push_back(*a);
                continue;
            }
        } else if (upper.rfind("WATCH ", 0) == 0) {
            if (const auto w = core::ParseWatch(line.substr(6));
                w && marks.watches.size() < core::kMaxWatches) {
                marks.watches.push_back(*w);
                continue;
            }
        }
        ++bad;
    }
    if (skipped) *skipped = bad;
    return marks;
}

DebugMarks MarksOf(const core::Simulator& sim)
{
    return DebugMarks{sim.Breakpoints().Addresses(), sim.Watches().Watches()};
}

void ApplyMarks(const DebugMarks& marks, core::Simulator& sim)
{
    sim.Breakpoints().Clear();
    for (uint16_t a : marks.breakpoints) sim.Breakpoints().Set(a, true);
    sim.ClearWatches();
    for (const core::Watch& w : marks.watches) sim.AddWatch(w);
}

bool DebugMarksStore::Save(const std::string& program, const DebugMarks& marks,
                           const std::filesystem::path& folder, std::string* error)
{
    if (program.empty()) return true;
    m_session[program] = marks;
    const std::filesystem::path file = folder / (program + kDebugMarksExtension);
    if (marks.Empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
        return true;
    }
    return core::WriteTextLines(file, DebugMarksLines(marks), error);
}

DebugMarks DebugMarksStore::Load(const std::string& program, const std::filesystem::path& folder)
{
    if (program.empty()) return {};
    if (const auto it = m_session.find(program); it != m_session.end()) return it->second;
    const auto text = core::ReadTextFile(folder / (program + kDebugMarksExtension));
    if (!text) return {};
    DebugMarks marks = ParseDebugMarks(core::SplitLines(*text));
    m_session[program] = marks;
    return marks;
}

}  // namespace zelo::app
