// z51 asm FILE.asm [--chip 8051|8052|89Cx051]: assembles a source exactly as
// the workbench does. The folder holding FILE.asm is the workspace (its
// "8051.LIB" serves INCLUDE and .EXTERN). Writes FILE.lst and, when both
// rounds pass, FILE.hex and FILE.tsk; prints the AsmAll report, each problem
// line with its reason and the warnings.
// Exit status: 0 both rounds pass, 1 problem lines (or, with
// --warnings-as-errors, any warning), 2 usage or file error.
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/assembly_texts.h"
#include "app/load_texts.h"
#include "asm/assembler_session.h"
#include "asm/source_file.h"
#include "command_registry.h"
#include "core/chip_model.h"

namespace {

struct AsmOptions
{
    std::string file;
    std::string chip = "8051";
    bool warningsAsErrors = false;
};

int RunAsm(const AsmOptions& options)
{
    namespace fs = std::filesystem;
    const auto chip = zelo::core::ChipFromName(options.chip);
    if (!chip) {
        std::cerr << "z51 asm: unknown chip " << options.chip << " (8051, 8052 or 89Cx051)\n";
        return 2;
    }
    const fs::path path = fs::absolute(options.file);
    if (path.extension() != ".asm" && path.extension() != ".ASM") {
        std::cerr << "z51 asm: " << options.file << " is not an .asm file\n";
        return 2;
    }
    const std::string name = path.stem().string();
    zelo::assembler::LoadedSource source = zelo::assembler::LoadAsmFile(path.parent_path(), name);
    if (!source.ok) {
        std::cerr << "z51 asm: " << zelo::app::kNoProgramCaption << " (" << options.file << ")\n";
        return 2;
    }
    zelo::assembler::AssemblerSession session(path.parent_path(), *chip);
    session.SetProgramName(name);
    session.SetSourceText(std::move(source.text));
    session.SetTraceEnabled(false);  // the ParsecText trace is shown only in the window
    const zelo::assembler::AsmStep step = session.AsmAll();
    std::cout << zelo::app::AsmAllReport(session, step);
    int status = session.Succeeded() ? 0 : 2;
    if (!session.WriteFailures().empty()) {
        std::cerr << zelo::app::WriteFailuresText(session.WriteFailures()) << "\n";
        status = 2;
    } else if (session.Round1Problems() + session.Round2Problems() > 0 ||
               !session.MissingModules().empty()) {
        status = 1;
    } else if (options.warningsAsErrors && !session.Result().warnings.empty()) {
        status = 1;
    }
    return status;
}

zelo::tools::RegisterCommand reg("asm", [](CLI::App& app, const std::string& name) -> std::function<int()> {
    auto options = std::make_shared<AsmOptions>();
    auto* sub = app.add_subcommand(name, "Assemble FILE.asm into FILE.lst, FILE.hex and FILE.tsk");
    sub->add_option("file", options->file, "source file (.asm)")->required();
    sub->add_option("--chip", options->chip, "8051, 8052 or 89Cx051");
    sub->add_flag("--warnings-as-errors", options->warningsAsErrors,
                  "exit with status 1 when the program has any warning");
    return [options] { return RunAsm(*options); };
});

}  // namespace
