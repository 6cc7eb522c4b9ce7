#include "loader/hex_record.h"

#include "core/hex_text.h"

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
    return FormatDataRecord(address, bytes.data(), bytes.size());
}

std::string FormatDataRecord(uint16_t address, const uint8_t* bytes, std::size_t count)
{
    std::string text;
    AppendDataRecord(text, address, bytes, count);
    return text;
}

void AppendDataRecord(std::string& out, uint16_t address, const uint8_t* bytes, std::size_t count)
{
    // Written digit by digit into room made once: the assembler writes a
    // record per 16 code bytes and this is its hot path.
    static constexpr char kDigits[] = "0123456789ABCDEF";
    count &= 0xFF;
    std::size_t at = out.size();
    out.resize(at + 1 + 2 * (4 + count) + 2);
    out[at++] = ':';
    unsigned sum = 0;
    auto put = [&](unsigned byte) {
        out[at++] = kDigits[(byte >> 4) & 0xF];
        out[at++] = kDigits[byte & 0xF];
        sum += byte;
    };
    put(static_cast<unsigned>(count));
    put(address >> 8u);
    put(address & 0xFFu);
    put(0);
    for (std::size_t i = 0; i < count; ++i) put(bytes[i]);
    put((256u - (sum & 0xFFu)) & 0xFFu);
}

}  // namespace zelo::loader
