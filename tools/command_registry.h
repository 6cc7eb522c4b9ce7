// Each z51 subcommand lives in its own file and registers itself here, so
// adding a subcommand touches no other file.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

namespace zelo::tools {

// Adds the subcommand NAME to the app; the returned function runs it and
// gives the exit status when the subcommand was chosen.
using CommandSetup = std::function<std::function<int()>(CLI::App&, const std::string& name)>;

struct Command {
    std::string name;
    CommandSetup setup;
};
std::vector<Command>& CommandRegistry();

// The command's exit status once its output is flushed: a report that could
// not be written (a full disk, a closed pipe) turns success into status 2.
int FinishProcess(int status);

struct RegisterCommand {
    RegisterCommand(std::string name, CommandSetup setup)
    {
        CommandRegistry().push_back({std::move(name), std::move(setup)});
    }
};

}  // namespace zelo::tools
