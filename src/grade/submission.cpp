#include "grade/submission.h"

#include <algorithm>
#include <map>
#include <set>

#include "app/assembly_texts.h"
#include "app/load_texts.h"
#include "asm/assembly_run.h"
#include "asm/output_files.h"
#include "asm/source_file.h"
#include "core/ascii_text.h"
#include "core/hex_text.h"
#include "core/cpu_state.h"
#include "core/text_file.h"
#include "loader/intel_hex.h"

namespace zelo::grade {
namespace fs = std::filesystem;
namespace {

std::string LowerExtension(const fs::path& path)
{
    std::string ext = path.extension().string();
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

bool Gradable(const fs::path& path)
{
    const std::string ext = LowerExtension(path);
    return ext == ".asm" || ext == ".hex";
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

PreparedProgram PrepareSource(const SubmissionFile& file, const fs::path& workspace,
                              core::ChipModel chip)
{
    PreparedProgram program;
    std::string error;
    const auto text = core::ReadTextFile(file.path, &error);
    if (!text) {
        program.report = "cannot be read: " + error;
        return program;
    }
    if (text->find_first_not_of(" \t\r\n") == std::string::npos) {
        program.report = "the source file is empty";
        return program;
    }
    // Assembled in memory with the workspace's headers and modules: nothing
    // is written beside the students' files.
    const assembler::FolderResolver library(workspace / assembler::kLibraryFolder);
    const assembler::Assembly assembly = assembler::Assemble(*text, chip, library);
    if (!assembly.Passed()) {
        assembler::AssemblyOutcome outcome;
        outcome.programName = file.path.stem().string();
        outcome.chip = chip;
        program.report = app::AssemblyReport(assembly, outcome);
        return program;
    }
    for (const std::string& record : assembler::MakeHexImage(assembly).Records()) {
        const loader::HexRecord parsed = loader::ParseHexRecord(record);
        if (parsed.problem != loader::HexLoadProblem::None || parsed.type != 0) continue;
        for (int k = 0; k < parsed.count; ++k) {
            const int hi = HexValue(parsed.data[static_cast<std::size_t>(2 * k)]);
            const int lo = HexValue(parsed.data[static_cast<std::size_t>(2 * k + 1)]);
            program.code.emplace_back(static_cast<uint16_t>(parsed.address + k),
                                      static_cast<uint8_t>(16 * hi + lo));
        }
    }
    for (const auto& entry : assembly.labels.Entries()) {
        std::string key = core::ToUpperAscii(entry.name);
        if (!key.empty() && key.back() == ':') key.pop_back();
        if (key.empty() || key[0] == '$') continue;
        program.labels.emplace(key, entry.address);  // the first definition stands
    }
    program.ok = true;
    return program;
}

PreparedProgram PrepareHex(const SubmissionFile& file, core::ChipModel chip)
{
    PreparedProgram program;
    core::CpuState cpu(chip);
    loader::HexLoaderState state;
    const fs::path folder = file.path.has_parent_path() ? file.path.parent_path() : fs::path(".");
    const auto loaded =
        loader::ReadHexIntoCodeMemory(folder, {false, file.path.filename().string()}, cpu, state);
    if (!loaded.Ok()) {
        program.report = file.path.filename().string() + ": " + app::HexLoadFailure(loaded);
        return program;
    }
    for (int a = 0; a < 0x10000; ++a) {
        const core::HexCell cell = cpu.codeMemory[static_cast<std::size_t>(a)];
        const int hi = HexValue(cell.hi), lo = HexValue(cell.lo);
        if (hi >= 0 && lo >= 0)
            program.code.emplace_back(static_cast<uint16_t>(a), static_cast<uint8_t>(16 * hi + lo));
    }
    program.ok = true;
    return program;
}

// The programs of a folder in name order: its sources, and the HEX files
// that are not the output of one of them.
std::vector<fs::path> ProgramsIn(const fs::path& folder, std::vector<fs::path>* subFolders)
{
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && Gradable(it->path()))
            found.push_back(it->path());
        else if (subFolders && it->is_directory(ec))
            subFolders->push_back(it->path());
    }
    std::sort(found.begin(), found.end());
    if (subFolders) std::sort(subFolders->begin(), subFolders->end());
    std::set<std::string> sources;
    for (const fs::path& p : found)
        if (LowerExtension(p) == ".asm") sources.insert(core::ToUpperAscii(p.stem().string()));
    std::vector<fs::path> programs;
    for (const fs::path& p : found)
        if (LowerExtension(p) == ".asm" || !sources.count(core::ToUpperAscii(p.stem().string())))
            programs.push_back(p);
    return programs;
}

}  // namespace

SubmissionList CollectSubmissions(const std::vector<fs::path>& arguments)
{
    SubmissionList list;
    for (const fs::path& argument : arguments) {
        std::error_code ec;
        if (fs::is_directory(argument, ec)) {
            std::vector<fs::path> subFolders;
            std::size_t taken = 0;
            for (const fs::path& p : ProgramsIn(argument, &subFolders)) {
                list.files.push_back({p.filename().string(), p, {}});
                ++taken;
            }
            for (const fs::path& sub : subFolders) {
                const std::vector<fs::path> programs = ProgramsIn(sub, nullptr);
                if (programs.empty()) continue;
                const std::string folderName = sub.filename().string();
                // One student's folder: their one program, or a clear reason for 0 points.
                SubmissionFile file{
                    folderName + "/" + programs[0].filename().string(), programs[0], {}};
                std::vector<fs::path> sources;
                for (const fs::path& p : programs)
                    if (LowerExtension(p) == ".asm") sources.push_back(p);
                if (sources.size() > 1 || (sources.empty() && programs.size() > 1)) {
                    file.name = folderName;
                    file.path = sub;
                    file.problem = "the folder holds more than one program:";
                    for (const fs::path& p : sources.empty() ? programs : sources)
                        file.problem += " " + p.filename().string();
                } else if (sources.size() == 1) {
                    file.name = folderName + "/" + sources[0].filename().string();
                    file.path = sources[0];
                }
                list.files.push_back(std::move(file));
                ++taken;
            }
            if (taken == 0)
                list.problems.push_back(argument.string() +
                                        ": no .asm or .hex file in this folder");
        } else if (fs::is_regular_file(argument, ec)) {
            if (Gradable(argument))
                list.files.push_back({argument.filename().string(), argument, {}});
            else
                list.problems.push_back(argument.string() + ": not an .asm or .hex file");
        } else {
            list.problems.push_back(argument.string() + ": no such file or folder");
        }
    }
    // Names must tell the students apart in the reports.
    std::map<std::string, int> uses;
    for (const SubmissionFile& f : list.files) ++uses[f.name];
    for (SubmissionFile& f : list.files)
        if (uses[f.name] > 1) f.name = f.path.generic_string();
    return list;
}

PreparedProgram PrepareSubmission(const SubmissionFile& file, const fs::path& workspace,
                                  core::ChipModel chip)
{
    if (!file.problem.empty()) {
        PreparedProgram program;
        program.report = file.problem;
        return program;
    }
    return LowerExtension(file.path) == ".hex" ? PrepareHex(file, chip)
                                               : PrepareSource(file, workspace, chip);
}

}  // namespace zelo::grade
