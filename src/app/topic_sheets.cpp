#include "app/topic_sheets.h"

#include <array>

#include "app/topic_sheet_texts.h"

namespace zelo::app {

namespace {

using SheetFunction = sheets::Sheet (*)();

// By slot, in the order of the topic grid; nullptr where the grid is empty.
constexpr std::array<SheetFunction, kTopicSlots> kSheets = {
    sheets::Flags,
    sheets::Symbols,
    sheets::TimerModes,
    sheets::SerialModes,
    sheets::InterruptAddresses,
    sheets::CodeKinds,
    sheets::Memory,
    sheets::AddressingModes,
    sheets::Flow,
    sheets::Numbers,
    sheets::Syntax,
    sheets::InvalidInstructions,
    sheets::Comparisons,
    sheets::PseudoCodes,
    nullptr,
    nullptr,
    sheets::Pcon,
    sheets::Tmod,
    sheets::Tcon,
    sheets::Scon,
    sheets::Ie,
    sheets::Ip,
    sheets::SpecialCommands,
    sheets::InterruptExamples,
    // Slots 24-31 have no topic.
};

}  // namespace

std::span<const std::string_view> PrintTopicSheet(int slot)
{
    if (slot < 0 || slot >= kTopicSlots) return {};
    const SheetFunction sheet = kSheets[static_cast<std::size_t>(slot)];
    return sheet ? sheet() : std::span<const std::string_view>{};
}

}  // namespace zelo::app
