// Reading and writing ".asm" sources in the workspace, and building the
// assembly line list: the lines of every INCLUDE header from "8051.LIB"
// first, then the source lines.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelo::assembler {

inline constexpr const char* kLibraryFolder = "8051.LIB";
inline constexpr const char* kNoFileCaption = "AsmFile : No file exist";

struct LoadedSource
{
    bool ok = false;
    std::string text;     // the editor contents
    std::string caption;  // AsmFile caption on failure
    std::string status;   // status label on success ("NAME.asm  loaded")
};

// Reads NAME.asm from the workspace.
LoadedSource LoadAsmFile(const std::filesystem::path& workspace, std::string_view name);

struct SaveResult
{
    bool ok = false;
    std::string name;     // the entered name without ".asm"
    std::string message;  // why the file could not be written
};

// Writes the editor text, one line per source line, to FILE (".asm" is
// appended when missing), through a temporary file and rename.
SaveResult SaveAsmFile(const std::filesystem::path& workspace, std::string_view fileName,
                       std::string_view editorText);

// Source lines of the editor text; any line ending, and a last line without
// a line break is kept.
std::vector<std::string> SplitSourceLines(std::string_view editorText);

// The file name named by an INCLUDE line ("INCLUDE <REG.H> ; x" gives
// "REG.H"), or nothing when the line is not an INCLUDE line in column 1.
std::optional<std::string> IncludeName(std::string_view line);

// Strips one enclosing pair of "()", then "<>", then "[]".
std::string StripEnclosing(std::string_view text);

// The file NAME in folder, its name compared without regard to case as the
// workbench's users expect ("include <reg.h>" finds REG.H); nothing when
// no such file exists.
std::optional<std::filesystem::path> FindFileNoCase(const std::filesystem::path& folder,
                                                    std::string_view name);

// The lines one header contributes to the line list.
struct HeaderSpan
{
    std::string name;  // the header's file name
    int first = 1;     // its first line in the line list (1-based)
    int count = 0;
};

struct LineList
{
    std::vector<std::string> lines;  // the lines of every header, in INCLUDE order
    std::vector<HeaderSpan> headers;
    int libraryCount = 0;
    std::string libraryText;  // text of the last library file read (the 編輯H viewer)
};

// The lines of the "8051.LIB" headers named by the source's INCLUDE lines;
// they are assembled before the source.
LineList IncludedLines(std::string_view sourceText, const std::filesystem::path& workspace);

}  // namespace zelo::assembler
