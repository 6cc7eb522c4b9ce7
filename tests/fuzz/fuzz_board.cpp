// Board files on hostile text, and the board driven by arbitrary latches.
// The input is the board file; its bytes after the first NUL (if any) are
// the latches and inputs of the steps that follow.
//
// Invariants: a board is either refused with problems and nothing wired, or
// used; the board only ever pulls down pins its components are wired to;
// pin levels are the latches less the pulls; the display texts stay their
// fixed widths.
#include <cstdint>
#include <string>
#include <string_view>

#include "board/board.h"
#include "fuzz_check.h"

using namespace zelo;
using namespace zelo::board;

namespace {

PortBytes WiredPins(const BoardWiring& s)
{
    PortBytes wired = kNoPulls;
    auto add = [&wired](PinRef pin) { SetPin(wired, pin); };
    if (s.switches)
        for (PinRef p : s.switches->pins) add(p);
    if (s.buttons)
        for (PinRef p : s.buttons->pins) add(p);
    if (s.keypad) {
        for (PinRef p : s.keypad->rows) add(p);
        for (PinRef p : s.keypad->columns) add(p);
    }
    if (s.lcd)
        for (PinRef p : s.lcd->data) add(p);
    return wired;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t split = all.find('\0');
    const std::string_view text = all.substr(0, split);
    const std::string_view steps =
        split == std::string_view::npos ? std::string_view() : all.substr(split + 1);

    for (core::ChipModel chip : {core::ChipModel::C8051, core::ChipModel::C89Cx051}) {
        BoardRead read = ParseBoard(text, chip);
        ZELO_FUZZ_CHECK(read.Ok() || !read.problems.empty(), "a refused board names a problem");
        const PortBytes wired = WiredPins(read.wiring);
        Board board(std::move(read.wiring));
        uint64_t cycles = 0;
        for (size_t i = 0; i + 5 <= steps.size(); i += 5) {
            const PortBytes latches{
                static_cast<uint8_t>(steps[i]), static_cast<uint8_t>(steps[i + 1]),
                static_cast<uint8_t>(steps[i + 2]), static_cast<uint8_t>(steps[i + 3])};
            const uint8_t input = static_cast<uint8_t>(steps[i + 4]);
            if (input & 0x80) board.SetButton(input & 7, input & 8);
            if (input & 0x40) board.SetKey((input >> 2) & 3, input & 3, input & 0x10);
            if (input & 0x20) board.SetSwitch(input & 7, input & 8);
            cycles += (input & 0x0F) * 40u;
            const PortBytes pulls = board.Update(latches, cycles);
            for (size_t p = 0; p < 4; ++p) {
                ZELO_FUZZ_CHECK((pulls[p] & ~wired[p]) == 0, "pulls only on wired input pins");
                ZELO_FUZZ_CHECK(board.PinLevels()[p] == (latches[p] & ~pulls[p]),
                                "levels are latches less pulls");
            }
        }
        if (const Hd44780* lcd = board.Lcd()) {
            for (const std::string& line : lcd->Lines())
                ZELO_FUZZ_CHECK(line.size() >= 16, "an LCD line holds sixteen glyphs");
        }
        if (const SevenSegmentDisplay* digits = board.Digits())
            ZELO_FUZZ_CHECK(
                digits->Text(board.Now()).size() >= static_cast<size_t>(digits->Count()),
                "one character per digit");
    }
    return 0;
}
