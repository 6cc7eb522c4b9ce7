// Relative jumps that wrap around the 64 KB code space run on the chip but
// cannot be written as source: no assembler accepts an offset that crosses
// FFFFH/0000H. The disassembler writes them as bytes so that its source
// still assembles to the same image.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loader/disassemble_file.h"

namespace zelo::loader {
namespace {

struct WrapCase {
    const char* name;
    std::vector<std::pair<int, std::vector<uint8_t>>> chunks;
    std::string expectedLine;  // a source line that must be written
};

TEST(DisassemblyWrap, RelativeJumpsAcrossTheTopAreWrittenAsBytes)
{
    const WrapCase cases[] = {
        {"DJNZ at 0000H back to FFFFH", {{0x0000, {0xDE, 0xFD}}, {0xFFFF, {0x00}}}, "          DB    DEH,FDH"},
        {"SJMP at FFFDH forward to 0001H", {{0xFFFD, {0x80, 0x02}}, {0x0000, {0x00, 0x00}}}, "          DB    80H,02H"},
        {"SJMP inside the space stays an instruction", {{0x0000, {0x80, 0xFE}}}, "$1        SJMP  $1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CodeImage image;
        for (const auto& [address, bytes] : c.chunks)
            for (std::size_t k = 0; k < bytes.size(); ++k) image.Set(address + static_cast<int>(k), bytes[k]);
        const auto out = DisassembleImage(image, core::ChipModel::C8051);
        bool found = false;
        for (const auto& line : out.sourceLines) {
            std::string trimmed = line;
            while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
            found = found || trimmed == c.expectedLine;
        }
        std::string all;
        for (const auto& line : out.sourceLines) all += line + "\n";
        EXPECT_TRUE(found) << all;
    }
}

}  // namespace
}  // namespace zelo::loader
