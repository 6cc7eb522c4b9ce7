// The students' programs: which files the command line names, and each one
// turned into code ready to load (an .asm assembled in memory with the
// workspace's "8051.LIB", a .hex read as it is).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/chip_model.h"

namespace zelo::grade {

struct SubmissionFile
{
    std::string name;  // shown in the reports: the file name
    std::filesystem::path path;
    std::string
        problem;  // set when the submission cannot be graded (it gets 0 points with this text)
};

struct SubmissionList
{
    std::vector<SubmissionFile> files;
    std::vector<std::string> problems;  // arguments that name nothing to grade
};

// Files are taken as given; a folder gives its .asm and .hex files in name
// order (a .hex beside an .asm of the same name is that source's output and
// is left out), then each of its sub-folders is one student's submission,
// named "FOLDER/FILE", when it holds one program (one .asm, or else one
// .hex). Two files of the same name are told apart by their paths.
SubmissionList CollectSubmissions(const std::vector<std::filesystem::path>& arguments);

struct PreparedProgram
{
    bool ok = false;
    std::string report;  // why it cannot run: the assembler's report or the HEX file's problem
    std::vector<std::pair<uint16_t, uint8_t>> code;    // address and byte of every loaded cell
    std::unordered_map<std::string, uint16_t> labels;  // upper-cased labels (sources only)
};

// Assembles or reads one submission. Nothing is written anywhere.
PreparedProgram PrepareSubmission(const SubmissionFile& file,
                                  const std::filesystem::path& workspace, core::ChipModel chip);

}  // namespace zelo::grade
