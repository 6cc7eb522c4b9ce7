// z51: the workbench's assembler, simulator and disassembler on the command line.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "app/version.h"
#include "command_registry.h"

namespace zelo::tools {
std::vector<Command>& CommandRegistry()
{
    static std::vector<Command> registry;
    return registry;
}

int FinishProcess(int status)
{
    // A command's report or state is its output: one that could not be
    // written (a full disk, a closed pipe) is a failure, not a success.
    static bool failureReported = false;
    std::cout.flush();
    const bool written = std::cout.good() && std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written && !failureReported) {
        failureReported = true;
        const int saved = errno;
        std::cerr << "z51: the output could not be written" << (saved != 0 ? ": " : "")
                  << (saved != 0 ? std::strerror(saved) : "") << "\n";
    }
    if (!written && status == 0) status = 2;
    return status;
}

}  // namespace zelo::tools

int main(int argc, char** argv)
{
    CLI::App app{"z51 - ZELO8051 command-line tool"};
    app.require_subcommand(1);
    std::string version = zelo::app::VersionOptionText("z51");
    version.pop_back();  // the parser ends the text with its own newline
    app.set_version_flag("--version", version);
    // A run names its subcommand first: only that one is set up, since a
    // script starts z51 once per file. Anything else (help, a mistyped
    // name) gets them all, so the parser can list or refuse them.
    const auto& registry = zelo::tools::CommandRegistry();
    const std::string_view first = argc > 1 ? argv[1] : "";
    const bool named = std::any_of(registry.begin(), registry.end(),
                                   [&](const auto& c) { return c.name == first; });
    std::vector<std::pair<CLI::App*, std::function<int()>>> runners;
    for (const auto& command : registry) {
        if (named && command.name != first) continue;
        const std::size_t before = app.get_subcommands({}).size();
        auto run = command.setup(app, command.name);
        auto subs = app.get_subcommands({});
        if (subs.size() > before) runners.emplace_back(subs.back(), std::move(run));
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return e.get_exit_code() == 0 ? 0 : (code == 0 ? 0 : 2);
    }
    for (auto& [sub, run] : runners) {
        if (sub->parsed()) return zelo::tools::FinishProcess(run());
    }
    return 2;
}
