// The reference sheets of the "Note" layout: each topic slot of the topic
// grid (TopicNames() in state_picture.h) that has a name has one sheet of
// 8051 reference text, printed into the state picture when the pointer rests
// on the slot.
#pragma once

#include <span>
#include <string_view>

namespace zelo::app {

inline constexpr int kTopicSlots = 32;

// The sheet's lines in printing order, one under the other from the top
// left; empty for the slots without a topic (14, 15, 24-31) and for any slot
// outside 0..31.
std::span<const std::string_view> PrintTopicSheet(int slot);

}  // namespace zelo::app
