#include "board/board_types.h"

namespace zelo::board {

std::string PinName(PinRef pin)
{
    std::string name = "P0.0";
    name[1] = static_cast<char>('0' + pin.port);
    name[3] = static_cast<char>('0' + pin.bit);
    return name;
}

std::optional<PinRef> ParsePinName(std::string_view text)
{
    if (text.size() != 4 || (text[0] != 'P' && text[0] != 'p') || text[2] != '.')
        return std::nullopt;
    if (text[1] < '0' || text[1] > '3' || text[3] < '0' || text[3] > '7') return std::nullopt;
    return PinRef{static_cast<uint8_t>(text[1] - '0'), static_cast<uint8_t>(text[3] - '0')};
}

bool ChipHasPin(core::ChipModel chip, PinRef pin)
{
    if (chip != core::ChipModel::C89Cx051) return true;
    if (pin.port == 1) return true;
    return pin.port == 3 && pin.bit != 6;
}

}  // namespace zelo::board
