// Input scripts: what happens outside the chip while a program runs, one
// event a line, each at a time in machine cycles or in s/ms/us:
//
//   @1000 P3.2=0            pull P3.2 low (=1 lets it go: it follows its latch)
//   @0 clock P3.4 500Hz     a square wave on a pin (Hz, kHz, MHz; "off" stops it)
//   @2ms uart "AT\r\n"      bytes sent to RXD ("\r \n \t \\ \" \xHH" escapes,
//                           hex bytes such as 41 or 0x41 too; bit8=0 gives
//                           the ninth bit of modes 2 and 3, 1 by default)
//   @0 uart-baud 9600       the sender's baud rate (default: the program's)
//   @0 AIN0=2.5V            a comparator input's voltage (89Cx051)
//   @20ms end               the run stops here ("input-done")
//
// Blank lines and text after # or ; are ignored. Parsing never throws; every
// bad line is reported with its number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelo::core {

// Machine cycles a second at the workbench's 11.0592 MHz crystal.
inline constexpr double kMachineCyclesPerSecond = 11'059'200.0 / 12.0;

struct InputEvent
{
    enum class Kind : uint8_t { Pin, Clock, Uart, UartBaud, Analog, End };
    Kind kind = Kind::Pin;
    uint64_t cycle = 0;
    int line = 0;
    uint8_t port = 0, bit = 0;   // Pin, Clock
    bool high = true;            // Pin: released (true) or pulled low
    double hertz = 0;            // Clock; 0 stops it
    std::vector<uint8_t> bytes;  // Uart
    bool ninth = true;           // Uart: the ninth bit in modes 2 and 3
    double baud = 0;             // UartBaud
    int channel = 0;             // Analog: AIN0 or AIN1
    double volts = 0;            // Analog
};

struct ScriptProblem
{
    int line = 0;
    std::string message;
};

struct InputScript
{
    std::vector<InputEvent> events;  // in time order (lines of one time in file order)
    std::vector<ScriptProblem> problems;
    bool Ok() const { return problems.empty(); }
};

InputScript ParseInputScript(std::string_view text);

// Puts events in time order; events of one time keep their order.
void SortByTime(std::vector<InputEvent>& events);

// "line 3: unknown event "foo"".
std::string ProblemText(const ScriptProblem& problem);

}  // namespace zelo::core
