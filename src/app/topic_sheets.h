// The reference sheets of the "Note" layout: 32 topic slots in two rows of
// 16, each non-empty slot naming one sheet of 8051 reference text that is
// printed into the state picture when the pointer rests on the slot.
#pragma once

#include <span>
#include <string_view>

namespace zelo::app {

inline constexpr int kTopicSlots = 32;
inline constexpr int kTopicColumns = 16;

// The slot's name as shown in the topic grid; "" for the empty slots
// 14, 15 and 24-31 (and for any slot outside 0..31).
std::string_view TopicName(int slot);

// The sheet's lines in printing order, one under the other; empty for a
// slot without a topic.
std::span<const std::string_view> PrintTopicSheet(int slot);

}  // namespace zelo::app
