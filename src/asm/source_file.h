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

struct LoadedSource
{
    bool ok = false;
    std::string text;  // the editor contents
};

// Reads NAME.asm from the workspace; not ok when it is missing or unreadable.
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

// Where a run finds the files its source names: the headers of INCLUDE
// lines and the listings of .EXTERN modules. The workspace's "8051.LIB"
// folder is one such place; tests and batch use may give texts in memory.
class SourceResolver
{
public:
    virtual ~SourceResolver() = default;

    struct Header
    {
        std::string name;  // the file's own name
        std::string text;
    };
    // Header NAME ("REG.H"); nothing when there is none or it cannot be read.
    virtual std::optional<Header> FindHeader(std::string_view name) const = 0;
    // Where the listing FILE ("NAME.lst") of a module is; nothing when none.
    virtual std::optional<std::filesystem::path> FindModule(std::string_view fileName) const = 0;
    // The text of a listing found before; nothing when it cannot be read.
    virtual std::optional<std::string> ReadModule(const std::filesystem::path& where) const = 0;
};

// The files of a folder, names compared without regard to case.
class FolderResolver final : public SourceResolver
{
public:
    explicit FolderResolver(std::filesystem::path folder) : m_folder(std::move(folder)) {}
    std::optional<Header> FindHeader(std::string_view name) const override;
    std::optional<std::filesystem::path> FindModule(std::string_view fileName) const override;
    std::optional<std::string> ReadModule(const std::filesystem::path& where) const override;

private:
    std::filesystem::path m_folder;
};

// The header an INCLUDE line names (a name ending in ".H"), if it names one.
std::optional<std::string> HeaderNameOf(std::string_view line);
// The lines of the named headers, in order; they are assembled before the
// source. A header the resolver does not find is skipped.
LineList HeaderLines(const std::vector<std::string>& names, const SourceResolver& resolver);

}  // namespace zelo::assembler
