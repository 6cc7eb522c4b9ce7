#include "loader/hex_record.h"

#include "core/byte_text.h"

namespace zelo::loader {

using core::ParseHexByteValue;
using core::ToHexByte;
using core::ToHexWord;

void AppendHexChecksum(std::string& recordText)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < recordText.size(); i += 2) {
        sum += static_cast<unsigned>(ParseHexByteValue(std::string_view(recordText).substr(i, 2)));
    }
    const std::string word = ToHexWord(sum);
    const int low = ParseHexByteValue(std::string_view(word).substr(word.size() - 2));
    recordText += ToHexByte(low == 0 ? 0u : static_cast<unsigned>(256 - low));
}

std::string FormatDataRecord(uint16_t address, const std::vector<uint8_t>& bytes)
{
    std::string text = ToHexByte(static_cast<unsigned>(bytes.size() & 0xFF)) + ToHexWord(address) + "00";
    for (uint8_t b : bytes) text += ToHexByte(b);
    AppendHexChecksum(text);
    return ":" + text;
}

}  // namespace zelo::loader
