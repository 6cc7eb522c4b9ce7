// The chip pin picture: the package of the selected chip (40-pin DIP for the
// 8051/8052, 20-pin for the 89Cx051) with every pin named and coloured by its
// level. A port pin shows its pin level on the stub and its latch (what the
// program wrote) in a small square at the stub's outer end; a pin held low
// from outside is framed (yellow while the program's latch is 1, so the
// pull-up and the outside pull-down meet; light cyan when both pull low). A
// floating P0 pin (open drain, latch 1, nothing pulling) is drawn grey.
// A click on a port pin toggles a pull-down from outside; the latch stays as
// the program wrote it.
//
// Everything here works in twips of the picture (origin top left, y down).
// The picture itself only renders the draw list and forwards clicks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/picture.h"
#include "core/chip_model.h"
#include "core/cpu_state.h"
#include "core/port_pins.h"

namespace zelo::app {

// Palette indexes of the pin levels.
inline constexpr int kPinHighColour = 12;     // light red
inline constexpr int kPinLowColour = 0;       // black
inline constexpr int kPinClockColour = 9;     // light blue
inline constexpr int kPinFloatingColour = 8;  // grey
inline constexpr int kPinHeldColour = 14;     // yellow: held low against a latch 1
inline constexpr int kPinBothLowColour = 11;  // light cyan: latch 0 and held low

struct ChipPin
{
    int number = 0;  // 1-based pin number
    std::string name;
    int colour = kPinHighColour;
    bool leftSide = true;
    int innerX = 0, outerX = 0, y = 0;        // the stub, twips
    std::optional<core::BitAddress> portBit;  // the port bit a port pin carries
    int latchColour = kPinHighColour;         // port pins: the latch
    int markColour = -1;                      // port pins held low from outside: the frame
};

// A filled rectangle (fill set) or an outline (fill empty).
struct DrawRect
{
    int left = 0, top = 0, width = 0, height = 0;
    std::optional<Rgb> fill;
    Rgb outline{};
    bool hasOutline = false;
};
struct DrawLine
{
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int width = 1;
    Rgb colour{};
};
// Text whose top-left corner lies at (left, top).
struct DrawText
{
    int left = 0, top = 0;
    std::string text;  // UTF-8
    Rgb colour{};
};

// What the chip picture shows, in drawing order: rectangles, lines, texts.
struct ChipDrawList
{
    int width = 3600, height = 5260;  // extent of the picture, twips
    int textHeight = 170;             // height of the pin names, twips
    int textCharWidth = 105;          // advance of one name character, twips
    std::vector<DrawRect> rects;
    std::vector<DrawLine> lines;
    std::vector<DrawText> texts;
};

class ChipPins
{
public:
    static constexpr int kBodyLeft = 500, kBodyTop = 300, kBodyWidth = 2400;
    static constexpr int kPinMargin = 100;                   // above the first, below the last pin
    static constexpr int kStubInner = 30, kStubOuter = 140;  // stub ends outside the body edge
    static constexpr int kPinLineWidth = 3;
    static constexpr int kHitHalfWidth = 1000, kHitHalfHeight = 100;

    ChipPins() { LayOutPins(core::ChipModel::C8051); }

    // Names, fixed colours, port links and stub geometry of the chip's package;
    // every pin starts high apart from the supply and clock pins.
    void LayOutPins(core::ChipModel chip);
    // Port pins take colour 12 when their port bit is "1" and 0 otherwise
    // ("0", "x", "-"). Returns whether any colour changed, so a caller can skip
    // redrawing after a step that left the ports alone.
    bool UpdatePinLevels(const core::CpuState& cpu);
    // The same with the pins apart from the latches: the stub shows the pin
    // (latch AND NOT pulled), the square the latch, the frame a pull.
    bool UpdatePinLevels(const core::CpuState& cpu, const core::PortPins& pins);

    // The first pin whose stub or name lies under (x, y): within 1000 twips of
    // its inner end horizontally and 100 twips of its height.
    std::optional<int> HitPin(int x, int y) const;
    // Mouse-down on the picture: the port bit of the port pin hit, which the
    // caller pulls low or lets go; supply, clock and control pins, and port
    // bits the chip does not have, give nothing.
    std::optional<core::BitAddress> ClickPin(int x, int y, const core::CpuState& cpu) const;

    core::ChipModel Chip() const { return m_chip; }
    int PinCount() const { return static_cast<int>(m_pins.size()); }
    int BodyHeight() const;
    // Pin by 1-based number.
    const ChipPin& Pin(int number) const { return m_pins.at(static_cast<std::size_t>(number - 1)); }
    const std::vector<ChipPin>& Pins() const { return m_pins; }

    // The body shaded in three greys with a black outline, then every pin:
    // its stub (width 3) and its name, both in the pin's palette colour.
    ChipDrawList DrawChip() const;

private:
    core::ChipModel m_chip = core::ChipModel::C8051;
    std::vector<ChipPin> m_pins;
};

}  // namespace zelo::app
