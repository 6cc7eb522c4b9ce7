// The texts of the reference sheets, one function per group of topics.
// Internal to the topic sheets; callers use PrintTopicSheet.
#pragma once

#include <span>
#include <string_view>

namespace zelo::app::sheets {

using Sheet = std::span<const std::string_view>;

// Instruction set: slots 0-5.
Sheet Flags();
Sheet Symbols();
Sheet TimerModes();
Sheet SerialModes();
Sheet InterruptAddresses();
Sheet CodeKinds();
// Memory and programming: slots 6-13.
Sheet Memory();
Sheet AddressingModes();
Sheet Flow();
Sheet Numbers();
Sheet Syntax();
Sheet InvalidInstructions();
Sheet Comparisons();
Sheet PseudoCodes();
// Registers and examples: slots 16-23.
Sheet Pcon();
Sheet Tmod();
Sheet Tcon();
Sheet Scon();
Sheet Ie();
Sheet Ip();
Sheet SpecialCommands();
Sheet InterruptExamples();

}  // namespace zelo::app::sheets
