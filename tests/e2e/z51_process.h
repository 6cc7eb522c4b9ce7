// Runs the z51 program of this build and collects its output and exit status.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct Z51Outcome {
    int status = -1;
    std::string out;
};

// Standard error is dropped unless withErrors, when it joins the output.
inline Z51Outcome RunZ51(const std::string& arguments, bool withErrors = false)
{
    const std::string command = std::string(ZELO_BINARY_DIR) + "/tools/z51 " + arguments +
                                (withErrors ? " 2>&1" : " 2>/dev/null");
    Z51Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.out.append(buffer, n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}
