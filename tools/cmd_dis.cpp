// z51 dis FILE.hex|FILE.tsk [--chip 8051|8052|89Cx051]: writes FILEDis.lst
// and FILEDis.asm beside the input and prints where they are.
#include <iostream>
#include <memory>
#include <string>

#include "app/load_texts.h"
#include "command_registry.h"
#include "core/chip_model.h"
#include "loader/disassemble_file.h"

namespace {
zelo::tools::RegisterCommand reg("dis", [](CLI::App& app, const std::string& name) -> std::function<int()> {
    auto* sub = app.add_subcommand(name, "Disassemble a HEX or task file into <name>Dis.lst and <name>Dis.asm");
    auto file = std::make_shared<std::string>();
    auto chip = std::make_shared<std::string>("8051");
    sub->add_option("file", *file, "The .hex or .tsk file")->required();
    sub->add_option("--chip", *chip, "Chip whose register names are written: 8051, 8052 or 89Cx051");
    return [file, chip] {
        const auto model = zelo::core::ChipFromName(*chip);
        if (!model) {
            std::cerr << "Unknown chip: " << *chip << "\n";
            return 2;
        }
        const auto result = zelo::loader::DisassembleFile(*file, *model);
        if (!result.ok) {
            std::cerr << zelo::app::DisassemblyFailure(result) << "\n";
            return 1;
        }
        for (const auto& note : zelo::app::DisassemblyNotes(result)) std::cerr << note << "\n";
        if (const auto caption = zelo::app::DisassemblyAsmFileCaption(result)) std::cerr << *caption << "\n";
        std::cout << "Listing: " << result.listingPath.string() << "\n";
        std::cout << "Source:  " << result.sourcePath.string() << "\n";
        return 0;
    };
});
}  // namespace
