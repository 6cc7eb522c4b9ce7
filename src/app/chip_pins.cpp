#include "app/chip_pins.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>

namespace zelo::app {

namespace {

struct PackagePin
{
    const char* name;
    int colour;    // fixed colour, or kPinHighColour for a port or plain pin
    int portByte;  // 0: not a port pin
    int portBit;
};

constexpr int kHigh = kPinHighColour;

// 40-pin DIP of the 8051 and 8052, pins 1..40.
constexpr PackagePin kDip40[] = {
    {"P1.0", kHigh, 0x90, 0},
    {"P1.1", kHigh, 0x90, 1},
    {"P1.2", kHigh, 0x90, 2},
    {"P1.3", kHigh, 0x90, 3},
    {"P1.4", kHigh, 0x90, 4},
    {"P1.5", kHigh, 0x90, 5},
    {"P1.6", kHigh, 0x90, 6},
    {"P1.7", kHigh, 0x90, 7},
    {"RST", kPinLowColour, 0, 0},
    {"P3.0(R×D)", kHigh, 0xB0, 0},
    {"P3.1(T×D)", kHigh, 0xB0, 1},
    {"P3.2(int0)", kHigh, 0xB0, 2},
    {"P3.3(int1)", kHigh, 0xB0, 3},
    {"P3.4(T0)", kHigh, 0xB0, 4},
    {"P3.5(T1)", kHigh, 0xB0, 5},
    {"P3.6(wr)", kHigh, 0xB0, 6},
    {"P3.7(rd)", kHigh, 0xB0, 7},
    {"XTAL2", kPinClockColour, 0, 0},
    {"XTAL1", kPinClockColour, 0, 0},
    {"GND", kPinLowColour, 0, 0},
    {"  (A8)P2.0", kHigh, 0xA0, 0},
    {"  (A9)P2.1", kHigh, 0xA0, 1},
    {" (A10)P2.2", kHigh, 0xA0, 2},
    {" (A11)P2.3", kHigh, 0xA0, 3},
    {" (A12)P2.4", kHigh, 0xA0, 4},
    {" (A13)P2.5", kHigh, 0xA0, 5},
    {" (A14)P2.6", kHigh, 0xA0, 6},
    {" (A15)P2.7", kHigh, 0xA0, 7},
    {"      psen", kPinClockColour, 0, 0},
    {"  ALE/prog", kPinClockColour, 0, 0},
    {"    ea/VPP", kHigh, 0, 0},
    {" (AD7)P0.7", kHigh, 0x80, 7},
    {" (AD6)P0.6", kHigh, 0x80, 6},
    {" (AD5)P0.5", kHigh, 0x80, 5},
    {" (AD4)P0.4", kHigh, 0x80, 4},
    {" (AD3)P0.3", kHigh, 0x80, 3},
    {" (AD2)P0.2", kHigh, 0x80, 2},
    {" (AD1)P0.1", kHigh, 0x80, 1},
    {" (AD0)P0.0", kHigh, 0x80, 0},
    {"       VCC", kHigh, 0, 0},
};

// 20-pin package of the 89Cx051, pins 1..20. P3.6 has no pin.
constexpr PackagePin kDip20[] = {
    {"RST/VPP", kPinLowColour, 0, 0}, {"P3.0(R×D)", kHigh, 0xB0, 0},
    {"P3.1(T×D)", kHigh, 0xB0, 1},    {"XTAL2", kPinClockColour, 0, 0},
    {"XTAL1", kPinClockColour, 0, 0}, {"P3.2(int0)", kHigh, 0xB0, 2},
    {"P3.3(int1)", kHigh, 0xB0, 3},   {"P3.4(T0)", kHigh, 0xB0, 4},
    {"P3.5(T1)", kHigh, 0xB0, 5},     {"GND", kPinLowColour, 0, 0},
    {"      P3.7", kHigh, 0xB0, 7},   {"(AIN0)P1.0", kHigh, 0x90, 0},
    {"(AIN1)P1.1", kHigh, 0x90, 1},   {"      P1.2", kHigh, 0x90, 2},
    {"      P1.3", kHigh, 0x90, 3},   {"      P1.4", kHigh, 0x90, 4},
    {"      P1.5", kHigh, 0x90, 5},   {"      P1.6", kHigh, 0x90, 6},
    {"      P1.7", kHigh, 0x90, 7},   {"       VCC", kHigh, 0, 0},
};

// Names start inside the body, 80 twips above the pin's height.
constexpr int kNameRaise = 80;
constexpr int kLeftNameOffset = 20;     // right of a left pin's inner end
constexpr int kRightNameOffset = 1100;  // left of a right pin's inner end

// Body shading: an outer band and two insets, lightest in the middle.
constexpr Rgb kBodyOuter{200, 200, 200}, kBodyMiddle{220, 220, 220}, kBodyInner{230, 230, 230};
constexpr Rgb kBodyOutline{0, 0, 0};
constexpr int kShadeInset = 40;
constexpr int kLatchSize = 50;  // the latch square and the frame of a held pin

int PinLevelColour(core::BitCell cell)
{
    return cell == core::kBitOne ? kPinHighColour : kPinLowColour;
}

}  // namespace

void ChipPins::LayOutPins(core::ChipModel chip)
{
    m_chip = chip;
    const std::span<const PackagePin> packagePins = chip == core::ChipModel::C89Cx051
                                               ? std::span<const PackagePin>(kDip20)
                                               : std::span<const PackagePin>(kDip40);
    const int count = static_cast<int>(packagePins.size());
    const int perSide = count / 2;
    const double pitch = static_cast<double>(BodyHeight() - 2 * kPinMargin) / (perSide - 1);

    m_pins.assign(packagePins.size(), ChipPin{});
    for (int i = 1; i <= perSide; ++i) {
        const int y = kBodyTop + kPinMargin + static_cast<int>(std::lround(pitch * (i - 1)));
        for (const int number : {i, count + 1 - i}) {
            ChipPin& pin = m_pins[static_cast<std::size_t>(number - 1)];
            const PackagePin& entry = packagePins[static_cast<std::size_t>(number - 1)];
            pin.number = number;
            pin.name = entry.name;
            pin.colour = entry.colour;
            pin.leftSide = number == i;
            pin.y = y;
            if (pin.leftSide) {
                pin.innerX = kBodyLeft - kStubInner;
                pin.outerX = kBodyLeft - kStubOuter;
            } else {
                pin.innerX = kBodyLeft + kBodyWidth + kStubInner;
                pin.outerX = kBodyLeft + kBodyWidth + kStubOuter;
            }
            if (entry.portByte != 0)
                pin.portBit = core::BitAddress{static_cast<uint8_t>(entry.portByte),
                                               static_cast<uint8_t>(entry.portBit)};
        }
    }
}

int ChipPins::BodyHeight() const
{
    return m_chip == core::ChipModel::C89Cx051 ? 2400 : 4800;
}

bool ChipPins::UpdatePinLevels(const core::CpuState& cpu)
{
    bool changed = false;
    for (ChipPin& pin : m_pins) {
        if (!pin.portBit) continue;
        const int colour = PinLevelColour(cpu.ReadBit(*pin.portBit));
        changed = changed || colour != pin.colour;
        pin.colour = colour;
    }
    return changed;
}

std::optional<int> ChipPins::HitPin(int x, int y) const
{
    for (const ChipPin& pin : m_pins) {
        if (std::abs(pin.innerX - x) < kHitHalfWidth && std::abs(pin.y - y) < kHitHalfHeight)
            return pin.number;
    }
    return std::nullopt;
}

std::optional<core::BitAddress> ChipPins::ClickPin(int x, int y, const core::CpuState& cpu) const
{
    const auto hit = HitPin(x, y);
    if (!hit) return std::nullopt;
    const ChipPin& pin = Pin(*hit);
    // A port bit the chip does not have ("-") has no pin to pull.
    if (!pin.portBit || cpu.ReadBit(*pin.portBit) == core::kBitMissing) return std::nullopt;
    return pin.portBit;
}

bool ChipPins::UpdatePinLevels(const core::CpuState& cpu, const core::PortPins& pins)
{
    bool changed = false;
    for (ChipPin& pin : m_pins) {
        if (!pin.portBit) continue;
        const int port = core::PortIndexOf(pin.portBit->byte);
        const bool latchHigh = cpu.ReadBit(*pin.portBit) != core::kBitZero;
        const bool pulled = (pins.pulled[static_cast<std::size_t>(port)] >> pin.portBit->bit) & 1u;
        int colour = latchHigh && !pulled ? kPinHighColour : kPinLowColour;
        if (colour == kPinHighColour && port == 0) colour = kPinFloatingColour;
        const int latchColour = latchHigh ? kPinHighColour : kPinLowColour;
        const int mark = !pulled ? -1 : latchHigh ? kPinHeldColour : kPinBothLowColour;
        changed = changed || colour != pin.colour || latchColour != pin.latchColour ||
                  mark != pin.markColour;
        pin.colour = colour;
        pin.latchColour = latchColour;
        pin.markColour = mark;
    }
    return changed;
}

ChipDrawList ChipPins::DrawChip() const
{
    ChipDrawList list;
    const int height = BodyHeight();
    list.rects.push_back({kBodyLeft, kBodyTop, kBodyWidth, height, kBodyOuter, {}, false});
    list.rects.push_back({kBodyLeft + kShadeInset,
                          kBodyTop + kShadeInset,
                          kBodyWidth - 2 * kShadeInset,
                          height - 2 * kShadeInset,
                          kBodyMiddle,
                          {},
                          false});
    list.rects.push_back({kBodyLeft + 2 * kShadeInset,
                          kBodyTop + 2 * kShadeInset,
                          kBodyWidth - 4 * kShadeInset,
                          height - 4 * kShadeInset,
                          kBodyInner,
                          {},
                          false});
    list.rects.push_back(
        {kBodyLeft, kBodyTop, kBodyWidth, height, std::nullopt, kBodyOutline, true});

    list.lines.reserve(m_pins.size());
    list.texts.reserve(m_pins.size());
    for (const ChipPin& pin : m_pins) {
        const Rgb colour = Palette(pin.colour);
        list.lines.push_back({pin.innerX, pin.y, pin.outerX, pin.y, kPinLineWidth, colour});
        const int left =
            pin.leftSide ? pin.innerX + kLeftNameOffset : pin.innerX - kRightNameOffset;
        list.texts.push_back({left, pin.y - kNameRaise, pin.name, colour});
        if (!pin.portBit) continue;
        // The latch: a small square at the outer end of the stub.
        const int outer = pin.outerX;
        list.rects.push_back({pin.leftSide ? outer - kLatchSize : outer,
                              pin.y - kLatchSize / 2,
                              kLatchSize,
                              kLatchSize,
                              Palette(pin.latchColour),
                              {},
                              false});
        if (pin.markColour >= 0) {
            const int left = std::min(pin.innerX, outer) - kLatchSize;
            list.rects.push_back({left, pin.y - kLatchSize,
                                  std::abs(pin.innerX - outer) + 2 * kLatchSize, 2 * kLatchSize,
                                  std::nullopt, Palette(pin.markColour), true});
        }
    }
    return list;
}

}  // namespace zelo::app
