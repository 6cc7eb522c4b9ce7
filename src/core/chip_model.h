// The three chips of the family the workbench simulates.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelo::core {

enum class ChipModel { C8051, C8052, C89Cx051 };

inline const char* ChipName(ChipModel chip)
{
    switch (chip) {
        case ChipModel::C8052: return "8052";
        case ChipModel::C89Cx051: return "89Cx051";
        default: return "8051";
    }
}

inline std::optional<ChipModel> ChipFromName(std::string_view name)
{
    if (name == "8051") return ChipModel::C8051;
    if (name == "8052") return ChipModel::C8052;
    if (name == "89Cx051" || name == "89CX051" || name == "89c2051" || name == "89C2051")
        return ChipModel::C89Cx051;
    return std::nullopt;
}

// The 8052 alone has the upper 128 bytes of indirectly addressed RAM.
inline bool HasUpperRam(ChipModel chip) { return chip == ChipModel::C8052; }

}  // namespace zelo::core
