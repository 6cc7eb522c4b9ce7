// z51: the workbench's assembler, simulator and disassembler on the command line.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "app/version.h"
#include "command_registry.h"

namespace zelo::tools {
std::vector<CommandSetup>& CommandRegistry()
{
    static std::vector<CommandSetup> registry;
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
        if (sub->parsed()) return zelo::tools::FinishProcess(run());
    }
    return 2;
}
