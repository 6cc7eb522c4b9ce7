// Runs the z51 program of this build and collects its output and exit status.
#pragma once

#include <string>

#include "../support/shell.h"

using Z51Outcome = ShellOutcome;

// Standard error is dropped unless withErrors, when it joins the output.
inline Z51Outcome RunZ51(const std::string& arguments, bool withErrors = false)
{
    return RunShell(std::string(ZELO_BINARY_DIR) + "/tools/z51 " + arguments +
                    (withErrors ? " 2>&1" : " 2>/dev/null"));
}
