#include "app/topic_sheets.h"

#include <array>

#include "app/topic_sheet_texts.h"

namespace zelo::app {

namespace {

struct Topic {
    std::string_view name;
    sheets::Sheet (*sheet)();
};

const std::array<Topic, kTopicSlots>& Topics()
{
    static const std::array<Topic, kTopicSlots> topics = {{
        {"Flags", sheets::Flags},
        {"Symbol", sheets::Symbols},
        {"T-Modes", sheets::TimerModes},
        {"S-Modes", sheets::SerialModes},
        {"I-Add", sheets::InterruptAddresses},
        {"Code", sheets::CodeKinds},
        {"Memory", sheets::Memory},
        {"A-Modes", sheets::AddressingModes},
        {"Flow", sheets::Flow},
        {"Number", sheets::Numbers},
        {"Syntax", sheets::Syntax},
        {"Invalid", sheets::InvalidInstructions},
        {"  >=<", sheets::Comparisons},
        {"Pseudo", sheets::PseudoCodes},
        {"", nullptr},
        {"", nullptr},
        {"PCON", sheets::Pcon},
        {"TMOD", sheets::Tmod},
        {"TCON", sheets::Tcon},
        {"SCON", sheets::Scon},
        {"IE", sheets::Ie},
        {"IP", sheets::Ip},
        {"S-com", sheets::SpecialCommands},
        {"Int.", sheets::InterruptExamples},
        // Slots 24-31 have no topic.
    }};
    return topics;
}

}  // namespace

std::string_view TopicName(int slot)
{
    if (slot < 0 || slot >= kTopicSlots) return {};
    return Topics()[static_cast<std::size_t>(slot)].name;
}

std::span<const std::string_view> PrintTopicSheet(int slot)
{
    if (slot < 0 || slot >= kTopicSlots) return {};
    const Topic& topic = Topics()[static_cast<std::size_t>(slot)];
    return topic.sheet ? topic.sheet() : std::span<const std::string_view>{};
}

}  // namespace zelo::app
