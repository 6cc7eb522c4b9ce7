// z51: the workbench's assembler, simulator and disassembler on the command line.
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "command_registry.h"

namespace zelo::tools {
std::vector<CommandSetup>& CommandRegistry()
{
    static std::vector<CommandSetup> registry;
    return registry;
}
}  // namespace zelo::tools

namespace {

// A command ends the process here: its output is flushed and the process
// leaves without taking its tables and heap apart piece by piece; the
// kernel reclaims the address space at once, which for the assembler's few
// megabytes of line tables is a large part of a short run. Sanitizer builds
// return normally so that their leak check still runs at exit.
int Finish(int status)
{
#if defined(__SANITIZE_ADDRESS__)
    return status;
#else
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(status);
#endif
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"z51 - ZELO8051 command-line tool"};
    app.require_subcommand(1);
    std::vector<std::pair<CLI::App*, std::function<int()>>> runners;
    for (auto& setup : zelo::tools::CommandRegistry()) {
        const std::size_t before = app.get_subcommands({}).size();
        auto run = setup(app);
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
        if (sub->parsed()) return Finish(run());
    }
    return 2;
}
