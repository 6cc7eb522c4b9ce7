// The program's version: the release number, set in one place (the project
// line of the top CMakeLists.txt), and the git commit it was built from.
// The definitions are generated at build time into the zelo_version library.
#pragma once

#include <string>
#include <string_view>

namespace zelo::app {

std::string_view ReleaseVersion();  // "0.1.0"

// The abbreviated commit, with "-modified" when the tree had uncommitted
// changes; empty when the program was not built from a git checkout.
std::string_view BuildCommit();

// "ZELO8051 0.1.0 (git 1a2b3c4d5e6f)", or without the parenthesis when
// there is no commit: the window's "About" line and the --version text.
inline std::string VersionText()
{
    std::string text = "ZELO8051 " + std::string(ReleaseVersion());
    if (!BuildCommit().empty()) text += " (git " + std::string(BuildCommit()) + ")";
    return text;
}

// The --version text of a program, GNU style: "z51 (ZELO8051) 0.1.0" and,
// when known, a second line "git commit 1a2b3c4d5e6f".
inline std::string VersionOptionText(std::string_view program)
{
    std::string text = std::string(program) + " (ZELO8051) " + std::string(ReleaseVersion()) + "\n";
    if (!BuildCommit().empty()) text += "git commit " + std::string(BuildCommit()) + "\n";
    return text;
}

}  // namespace zelo::app
