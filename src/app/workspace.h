// The workspace ("program folder"): the one folder whose files the workbench
// reads and writes, with its "8051.LIB" sub-folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zelo::app {

inline constexpr const char* kLibraryFolderName = "8051.LIB";

struct WorkspaceChoice {
    std::optional<std::filesystem::path> commandLineFolder;  // zelo8051 FOLDER
    std::optional<std::filesystem::path> environmentFolder;  // $ZELO8051_HOME
    std::filesystem::path programFolder;                     // folder of the executable
    std::filesystem::path homeFolder;                        // $HOME
    std::filesystem::path shippedExamples;                   // examples to seed a new workspace
};

struct WorkspaceResult {
    std::filesystem::path folder;
    std::string message;  // why a choice was made or failed; empty when all went well
    bool ok = true;
};

// The examples a new workspace is seeded from. An installed program,
// PREFIX/bin/zelo8051, finds them in PREFIX/share/zelo8051 (the folder with
// the "8051.LIB" sub-folder); a program run from its build folder takes the
// examples of the source tree it was built from.
std::filesystem::path ShippedExamplesFolder(const std::filesystem::path& programFolder,
                                            const std::filesystem::path& sourceTreeExamples);

// FOLDER if given; else $ZELO8051_HOME; else the program's folder when it
// has an "8051.LIB" sub-folder; else ~/ZELO8051, created and seeded with the
// shipped examples on first use.
WorkspaceResult ResolveWorkspace(const WorkspaceChoice& choice);

}  // namespace zelo::app
