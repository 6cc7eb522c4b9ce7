// Each z51 subcommand lives in its own file and registers itself here, so
// adding a subcommand touches no other file.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <vector>

namespace zelo::tools {

// Adds a subcommand to the app; the returned function runs it and gives the
// exit status when the subcommand was chosen.
using CommandSetup = std::function<std::function<int()>(CLI::App&)>;

std::vector<CommandSetup>& CommandRegistry();

// Ends the process with the status once the output is flushed, without
// taking the program's tables and heap apart piece by piece: the kernel
// reclaims the address space at once, which is a large part of a short run.
// A command may call it while its own large objects are still in scope.
// Sanitizer builds return the status instead, so that objects are destroyed
// and the leak check at exit still runs.
int FinishProcess(int status);

struct RegisterCommand {
    explicit RegisterCommand(CommandSetup setup) { CommandRegistry().push_back(std::move(setup)); }
};

}  // namespace zelo::tools
