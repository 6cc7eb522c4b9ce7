// The texts a run's result is written as: the listing, the Intel HEX records
// with the task image, the opcode usage counts, the step-over table and the
// cross-check of a HEX file against the assembled code. Only here are code
// bytes turned into their listing texts; writing the files is the caller's.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "asm/assembly.h"
#include "asm/usage_counts.h"
#include "core/simulator.h"

namespace zelo::assembler {

// Date (system short form) and time (hh:mm:ss) printed in the listing header.
struct ListingClock
{
    std::string date;
    std::string time;
};

// The listing of a resolved run (CR LF line ends): the source lines with
// their addresses and bytes, a problem line under each failed line, and
// the totals.
std::string ListingText(const Assembly& assembly, std::string_view programName,
                        const ListingClock& clock);
// The same text handed to put() in pieces of about 16 KB, so a listing
// written to a file is never held whole.
void PutListing(const Assembly& assembly, std::string_view programName, const ListingClock& clock,
                const std::function<void(std::string_view)>& put);

// Adds the opcode of every source line assembled without a problem.
void CountOpcodes(const Assembly& assembly, UsageCounts& counts);

// The HEX records (the end record last) and the task image holding the same
// bytes from address 0, unwritten cells FF.
struct HexImage
{
    std::string text;  // the HEX file: the records, each ended by CR LF
    std::string task;
    int codeEnd = -1;  // one past the last byte of the last record

    std::vector<std::string> Records() const;
};
HexImage MakeHexImage(const Assembly& assembly);

struct SubroutineEntry
{
    std::string name;
    uint16_t address = 0;
};

// What step-over needs: the called subroutines with their addresses and the
// addresses of RET instructions.
struct StepOverTable
{
    std::vector<SubroutineEntry> subroutines;
    std::vector<uint16_t> returnAddresses;
};
StepOverTable BuildStepOverTable(const Assembly& assembly);
// The table as the simulator's step-over rows: each subroutine runs from
// its label to the first RET at or after it.
std::vector<core::StepOverRow> StepOverRows(const StepOverTable& table);

// The HEX tab's cross-check of NAME.hex's text (nothing when the file could
// not be read) against the code of the run.
std::string CrossCheckText(const Assembly& assembly, std::string_view programName,
                           const std::optional<std::string>& hexText);

}  // namespace zelo::assembler
