// Conversions between byte texts and numbers, and decoding of text files,
// on arbitrary input.
#include <cstdint>
#include <string>

#include "core/hex_text.h"
#include "core/text_file.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace zelo::core;
    const std::string text(reinterpret_cast<const char*>(data), size);

    const int word = ParseHexWord(text);
    ZELO_FUZZ_CHECK(word >= 0 && word <= 0xFFFF, "ParseHexWord stays in a word");
    const int byte = ParseHexByteValue(text);
    ZELO_FUZZ_CHECK(byte >= 0 && byte <= 0xFF, "ParseHexByte stays in a byte");
    ZELO_FUZZ_CHECK(ToHexWord(static_cast<unsigned>(word)).size() == 4, "a word has four digits");

    const BitBuffer cells = HexByteToBitBuffer(text);
    for (char c : cells) ZELO_FUZZ_CHECK(c == '0' || c == '1' || c == 'x', "bit cells");

    const std::string binary = HexToBinaryText(text);
    ZELO_FUZZ_CHECK(!binary.empty(), "binary text is never empty");
    ZELO_FUZZ_CHECK(binary.find_first_not_of("01") == std::string::npos, "binary digits only");

    const std::string decoded = DecodeText(text);
    ZELO_FUZZ_CHECK(IsValidUtf8(decoded), "decoded text is UTF-8");
    std::size_t joined = 0;
    for (const auto& line : SplitLines(decoded)) {
        ZELO_FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos, "no line end inside a line");
        joined += line.size();
    }
    ZELO_FUZZ_CHECK(joined <= decoded.size(), "lines come from the text");
    return 0;
}
