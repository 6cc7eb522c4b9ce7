#include "app/workspace.h"

namespace zelo::app {

namespace fs = std::filesystem;

namespace {
WorkspaceResult Existing(const fs::path& folder, const char* what)
{
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return {fs::absolute(folder, ec), "", true};
    return {folder, std::string(what) + " " + folder.string() + " is not a folder.", false};
}

// Copies the shipped examples without replacing anything the user already has.
void Seed(const fs::path& from, const fs::path& to, std::string& message)
{
    std::error_code ec;
    if (from.empty() || !fs::is_directory(from, ec)) return;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::skip_existing, ec);
    if (ec) message = "Could not copy the examples into " + to.string() + ": " + ec.message();
}
}  // namespace

fs::path ShippedExamplesFolder(const fs::path& programFolder, const fs::path& sourceTreeExamples)
{
    std::error_code ec;
    const fs::path installed = (programFolder / ".." / "share" / "zelo8051").lexically_normal();
    if (!programFolder.empty() && fs::is_directory(installed / kLibraryFolderName, ec)) return installed;
    return sourceTreeExamples;
}

WorkspaceResult ResolveWorkspace(const WorkspaceChoice& choice)
{
    if (choice.commandLineFolder) return Existing(*choice.commandLineFolder, "The folder");
    if (choice.environmentFolder && !choice.environmentFolder->empty())
        return Existing(*choice.environmentFolder, "ZELO8051_HOME");

    std::error_code ec;
    if (!choice.programFolder.empty() && fs::is_directory(choice.programFolder / kLibraryFolderName, ec))
        return {choice.programFolder, "", true};

    const fs::path home = choice.homeFolder / "ZELO8051";
    WorkspaceResult result{home, "", true};
    if (!fs::is_directory(home, ec)) {
        fs::create_directories(home, ec);
        if (ec) return {home, "Cannot create " + home.string() + ": " + ec.message(), false};
        Seed(choice.shippedExamples, home, result.message);
    }
    fs::create_directories(home / kLibraryFolderName, ec);
    return result;
}

}  // namespace zelo::app
