// Small text rules for the workspace's file names and the file list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelo::app {

bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// A pattern of the file list: "*.asm", or several joined by ';' ("*tsk;*hex").
// Names are compared without regard to case, as the workspace's files were
// named on a system that does not distinguish it.
bool MatchesFilePattern(const std::string& name, const std::string& pattern);
// A name from the user or the list must stay a plain file of the workspace:
// no folder part, no "." or "..".
bool IsPlainFileName(const std::string& name);
// Lines joined with '\n' after each, as the editor holds them.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace zelo::app
