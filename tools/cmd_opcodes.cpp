// z51 opcodes: prints the opcode list file (256 lines) to standard output.
#include <iostream>

#include "command_registry.h"
#include "core/opcode_table.h"

namespace {
zelo::tools::RegisterCommand reg("opcodes", [](CLI::App& app, const std::string& name) -> std::function<int()> {
    app.add_subcommand(name, "Print the 256 lines of the opcode list");
    return [] {
        std::cout << zelo::core::StandardOpcodeTable().ListFileText();
        return 0;
    };
});
}  // namespace
