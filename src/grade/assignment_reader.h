// Reading an assignment from its TOML file. Every problem is reported with
// the file position and the field it concerns ("case[2].expect.iram.40H"),
// and all problems of a file are collected, not only the first.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grade/assignment.h"

namespace zelo::grade {

struct AssignmentRead
{
    std::optional<Assignment> assignment;  // set when there was no problem
    std::vector<std::string> problems;     // "FILE:LINE:COLUMN: FIELD: message"
};

// Parses assignment text; `sourceName` names it in messages and `folder`
// anchors the relative paths of input scripts and boards.
AssignmentRead ParseAssignment(std::string_view text, std::string_view sourceName,
                               const std::filesystem::path& folder);

AssignmentRead ReadAssignmentFile(const std::filesystem::path& path);

}  // namespace zelo::grade
