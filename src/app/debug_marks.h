// The breakpoints and watches of one program, kept for the session and in
// a small file beside the program, NAME.dbg, so they come back when the
// program is opened again:
//
//   ; ZELO8051 breakpoints and watches
//   BREAK 000EH
//   WATCH 30H=05H
//   WATCH X:0100H
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/simulator.h"
#include "core/watch_list.h"

namespace zelo::app {

inline constexpr const char* kDebugMarksExtension = ".dbg";

struct DebugMarks
{
    std::vector<uint16_t> breakpoints;  // ascending
    std::vector<core::Watch> watches;

    bool Empty() const { return breakpoints.empty() && watches.empty(); }
    bool operator==(const DebugMarks&) const = default;
};

// The file's lines for the marks.
std::vector<std::string> DebugMarksLines(const DebugMarks& marks);
// Reads the lines DebugMarksLines writes; lines it does not understand are
// skipped (and counted in *skipped when given).
DebugMarks ParseDebugMarks(const std::vector<std::string>& lines, int* skipped = nullptr);

DebugMarks MarksOf(const core::Simulator& sim);
// Replaces the simulator's breakpoints and watches with the marks.
void ApplyMarks(const DebugMarks& marks, core::Simulator& sim);

// The marks of every program opened in this session, by program name.
class DebugMarksStore
{
public:
    // Keeps the marks for the session and writes (or, when empty, removes)
    // the program's file in the folder. False when the file could not be
    // written; *error says why.
    bool Save(const std::string& program, const DebugMarks& marks,
              const std::filesystem::path& folder, std::string* error = nullptr);
    // The session's marks of the program, else those of its file, else none.
    DebugMarks Load(const std::string& program, const std::filesystem::path& folder);

private:
    std::map<std::string, DebugMarks> m_session;
};

}  // namespace zelo::app
