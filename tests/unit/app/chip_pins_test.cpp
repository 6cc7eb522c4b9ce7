#include "app/chip_pins.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using zelo::app::ChipPins;
using zelo::app::Palette;
using zelo::core::BitAddress;
using zelo::core::ChipModel;
using zelo::core::CpuState;
using zelo::core::PortBytes;
using zelo::core::PortPins;
using namespace zelo::app;

struct PinCase
{
    ChipModel chip;
    int number;
    const char* name;
    int portByte;  // 0: not a port pin
    int portBit;
    int resetColour;
};

const PinCase kPinCases[] = {
    {ChipModel::C8051, 1, "P1.0", 0x90, 0, 12},
    {ChipModel::C8051, 8, "P1.7", 0x90, 7, 12},
    {ChipModel::C8051, 9, "RST", 0, 0, 0},
    {ChipModel::C8051, 10, "P3.0(R×D)", 0xB0, 0, 12},
    {ChipModel::C8051, 12, "P3.2(int0)", 0xB0, 2, 12},
    {ChipModel::C8051, 16, "P3.6(wr)", 0xB0, 6, 12},
    {ChipModel::C8051, 17, "P3.7(rd)", 0xB0, 7, 12},
    {ChipModel::C8051, 18, "XTAL2", 0, 0, 9},
    {ChipModel::C8051, 19, "XTAL1", 0, 0, 9},
    {ChipModel::C8051, 20, "GND", 0, 0, 0},
    {ChipModel::C8051, 21, "  (A8)P2.0", 0xA0, 0, 12},
    {ChipModel::C8051, 28, " (A15)P2.7", 0xA0, 7, 12},
    {ChipModel::C8051, 29, "      psen", 0, 0, 9},
    {ChipModel::C8051, 30, "  ALE/prog", 0, 0, 9},
    {ChipModel::C8051, 31, "    ea/VPP", 0, 0, 12},
    {ChipModel::C8051, 32, " (AD7)P0.7", 0x80, 7, 12},
    {ChipModel::C8051, 39, " (AD0)P0.0", 0x80, 0, 12},
    {ChipModel::C8051, 40, "       VCC", 0, 0, 12},
    {ChipModel::C8052, 39, " (AD0)P0.0", 0x80, 0, 12},
    {ChipModel::C89Cx051, 1, "RST/VPP", 0, 0, 0},
    {ChipModel::C89Cx051, 2, "P3.0(R×D)", 0xB0, 0, 12},
    {ChipModel::C89Cx051, 4, "XTAL2", 0, 0, 9},
    {ChipModel::C89Cx051, 5, "XTAL1", 0, 0, 9},
    {ChipModel::C89Cx051, 6, "P3.2(int0)", 0xB0, 2, 12},
    {ChipModel::C89Cx051, 9, "P3.5(T1)", 0xB0, 5, 12},
    {ChipModel::C89Cx051, 10, "GND", 0, 0, 0},
    {ChipModel::C89Cx051, 11, "      P3.7", 0xB0, 7, 12},
    {ChipModel::C89Cx051, 12, "(AIN0)P1.0", 0x90, 0, 12},
    {ChipModel::C89Cx051, 19, "      P1.7", 0x90, 7, 12},
    {ChipModel::C89Cx051, 20, "       VCC", 0, 0, 12},
};

TEST(ChipPins, PackagesNameAndLinkEveryPin)
{
    for (const PinCase& c : kPinCases) {
        ChipPins pins;
        pins.LayOutPins(c.chip);
        CpuState cpu(c.chip);
        pins.UpdatePinLevels(cpu);
        const auto& pin = pins.Pin(c.number);
        SCOPED_TRACE(std::string(zelo::core::ChipName(c.chip)) + " pin " +
                     std::to_string(c.number));
        EXPECT_EQ(pin.name, c.name);
        EXPECT_EQ(pin.colour, c.resetColour);
        if (c.portByte == 0) {
            EXPECT_FALSE(pin.portBit.has_value());
        } else {
            ASSERT_TRUE(pin.portBit.has_value());
            EXPECT_EQ(*pin.portBit, (BitAddress{static_cast<uint8_t>(c.portByte),
                                                static_cast<uint8_t>(c.portBit)}));
        }
    }
}

TEST(ChipPins, TwentyPinPackageHasNoP36Pin)
{
    ChipPins pins;
    pins.LayOutPins(ChipModel::C89Cx051);
    ASSERT_EQ(pins.PinCount(), 20);
    for (const auto& pin : pins.Pins()) {
        if (pin.portBit) {
            EXPECT_FALSE(pin.portBit->byte == 0xB0 && pin.portBit->bit == 6) << pin.number;
        }
    }
    pins.LayOutPins(ChipModel::C8052);
    EXPECT_EQ(pins.PinCount(), 40);
}

struct GeometryCase
{
    ChipModel chip;
    int number;
    int innerX, outerX, y;
};

TEST(ChipPins, StubsFaceEachOtherAcrossTheBody)
{
    const GeometryCase cases[] = {
        {ChipModel::C8051, 1, 470, 360, 400},        {ChipModel::C8051, 40, 2930, 3040, 400},
        {ChipModel::C8051, 2, 470, 360, 642},        {ChipModel::C8051, 39, 2930, 3040, 642},
        {ChipModel::C8051, 20, 470, 360, 5000},      {ChipModel::C8051, 21, 2930, 3040, 5000},
        {ChipModel::C89Cx051, 1, 470, 360, 400},     {ChipModel::C89Cx051, 20, 2930, 3040, 400},
        {ChipModel::C89Cx051, 2, 470, 360, 644},     {ChipModel::C89Cx051, 10, 470, 360, 2600},
        {ChipModel::C89Cx051, 11, 2930, 3040, 2600},
    };
    for (const auto& c : cases) {
        ChipPins pins;
        pins.LayOutPins(c.chip);
        const auto& pin = pins.Pin(c.number);
        SCOPED_TRACE(c.number);
        EXPECT_EQ(pin.innerX, c.innerX);
        EXPECT_EQ(pin.outerX, c.outerX);
        EXPECT_EQ(pin.y, c.y);
    }
}

TEST(ChipPins, PortPinsFollowThePortBits)
{
    CpuState cpu(ChipModel::C8051);
    ChipPins pins;
    pins.LayOutPins(ChipModel::C8051);
    pins.UpdatePinLevels(cpu);
    for (const auto& pin : pins.Pins()) {
        if (pin.portBit) {
            EXPECT_EQ(pin.colour, 12) << pin.number;
        }
    }
    EXPECT_FALSE(pins.UpdatePinLevels(cpu)) << "nothing changed";

    cpu.WriteRamByte(0xFE, zelo::core::sfr::P1);  // a program clears P1.0
    EXPECT_TRUE(pins.UpdatePinLevels(cpu));
    EXPECT_EQ(pins.Pin(1).colour, 0);
    EXPECT_EQ(pins.Pin(2).colour, 12);

    cpu.WriteBit('x', BitAddress{zelo::core::sfr::P2, 3});  // undefined shows low
    pins.UpdatePinLevels(cpu);
    EXPECT_EQ(pins.Pin(24).colour, 0);
    EXPECT_EQ(pins.Pin(9).colour, 0) << "RST keeps its fixed colour";
    EXPECT_EQ(pins.Pin(18).colour, 9) << "XTAL2 keeps its fixed colour";

    // The same program on the 20-pin chip: P1.0 is pin 12.
    CpuState small(ChipModel::C89Cx051);
    pins.LayOutPins(ChipModel::C89Cx051);
    small.WriteRamByte(0xFE, zelo::core::sfr::P1);
    pins.UpdatePinLevels(small);
    EXPECT_EQ(pins.Pin(12).colour, 0);
    EXPECT_EQ(pins.Pin(13).colour, 12);
}

TEST(ChipPins, ClickFindsThePortPinAndTheStubShowsPinAndLatch)
{
    CpuState cpu(ChipModel::C8051);
    ChipPins pins;
    pins.LayOutPins(ChipModel::C8051);
    const auto& pin12 = pins.Pin(12);
    // A click on the stub or on the name inside the body; the latch is left alone.
    EXPECT_EQ(pins.ClickPin(pin12.innerX - 50, pin12.y + 40, cpu), (BitAddress{0xB0, 2}));
    EXPECT_EQ(pins.ClickPin(pin12.innerX + 900, pin12.y - 60, cpu), (BitAddress{0xB0, 2}));
    EXPECT_EQ(pins.ClickPin(pins.Pin(39).innerX - 700, pins.Pin(39).y, cpu), (BitAddress{0x80, 0}));
    EXPECT_FALSE(pins.ClickPin(pins.Pin(20).innerX, pins.Pin(20).y, cpu)) << "GND";
    EXPECT_EQ(cpu.PeekRamByteText(0xB0), "FF");

    struct Case
    {
        const char* name;
        int pin;
        uint8_t latch;  // the port's latch byte
        PortBytes pulled;
        int colour, latchColour, mark;
    };
    const Case cases[] = {
        {"released and high", 12, 0xFF, {}, kPinHighColour, kPinHighColour, -1},
        {"held low against its latch",
         12,
         0xFF,
         {0, 0, 0, 0x04},
         kPinLowColour,
         kPinHighColour,
         kPinHeldColour},
        {"driven and held low",
         12,
         0xFB,
         {0, 0, 0, 0x04},
         kPinLowColour,
         kPinLowColour,
         kPinBothLowColour},
        {"driven low", 12, 0xFB, {}, kPinLowColour, kPinLowColour, -1},
        {"P0 floats", 39, 0xFF, {}, kPinFloatingColour, kPinHighColour, -1},
        {"P0 pulled", 39, 0xFF, {0x01, 0, 0, 0}, kPinLowColour, kPinHighColour, kPinHeldColour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortPins state;
        state.pulled = c.pulled;
        const BitAddress bit = *pins.Pin(c.pin).portBit;
        cpu.WriteRamByte(c.latch, bit.byte);
        pins.UpdatePinLevels(cpu, state);
        EXPECT_EQ(pins.Pin(c.pin).colour, c.colour);
        EXPECT_EQ(pins.Pin(c.pin).latchColour, c.latchColour);
        EXPECT_EQ(pins.Pin(c.pin).markColour, c.mark);
        cpu.WriteRamByte(0xFF, bit.byte);
    }
}

TEST(ChipPins, ClicksOffPortPinsChangeNothing)
{
    struct Case
    {
        ChipModel chip;
        int number;
        int dx, dy;  // offset from the pin's inner end
    };
    const Case cases[] = {
        {ChipModel::C8051, 9, 0, 0},       // RST
        {ChipModel::C8051, 20, -100, 50},  // GND
        {ChipModel::C8051, 18, 300, 0},    // XTAL2
        {ChipModel::C8051, 19, 0, -90},    // XTAL1
        {ChipModel::C8051, 40, -500, 0},   // VCC
        {ChipModel::C8051, 31, 0, 0},      // EA
        {ChipModel::C8051, 30, 0, 0},      // ALE
        {ChipModel::C8051, 29, 0, 0},      // PSEN
        {ChipModel::C89Cx051, 1, 0, 0},    // RST/VPP
        {ChipModel::C89Cx051, 10, 0, 0},   // GND
        {ChipModel::C89Cx051, 4, 0, 0},    // XTAL2
        {ChipModel::C89Cx051, 20, 0, 0},   // VCC
    };
    for (const auto& c : cases) {
        CpuState cpu(c.chip);
        const auto before = cpu.internal;
        ChipPins pins;
        pins.LayOutPins(c.chip);
        const auto& pin = pins.Pin(c.number);
        ASSERT_EQ(pins.HitPin(pin.innerX + c.dx, pin.y + c.dy), c.number);
        EXPECT_FALSE(pins.ClickPin(pin.innerX + c.dx, pin.y + c.dy, cpu).has_value()) << c.number;
        EXPECT_EQ(cpu.internal, before) << c.number;
    }
}

TEST(ChipPins, ClicksBetweenPinsOrFarAwayHitNothing)
{
    ChipPins pins;
    pins.LayOutPins(ChipModel::C8051);
    const auto& pin1 = pins.Pin(1);
    EXPECT_FALSE(pins.HitPin(pin1.innerX, pin1.y + 121).has_value());  // half a pitch below
    EXPECT_FALSE(pins.HitPin(pin1.innerX, pin1.y - 100).has_value());  // the band is open
    EXPECT_FALSE(pins.HitPin(pin1.innerX + 1000, pin1.y).has_value());
    EXPECT_EQ(pins.HitPin(pin1.innerX + 999, pin1.y), 1);
    EXPECT_FALSE(pins.HitPin(1700, 1000).has_value()) << "middle of the body";
}

TEST(ChipPins, ClickNeverCreatesAMissingPort)
{
    // A 40-pin picture still shown while the machine is an 89Cx051: P0 does
    // not exist there, so its pins cannot write into 80H.
    CpuState cpu(ChipModel::C89Cx051);
    ChipPins pins;
    pins.LayOutPins(ChipModel::C8051);
    const auto& pin39 = pins.Pin(39);
    EXPECT_FALSE(pins.ClickPin(pin39.innerX, pin39.y, cpu).has_value());
    EXPECT_EQ(cpu.ReadBit(BitAddress{0x80, 0}), '-');
}

TEST(ChipPins, DrawListShowsBodyStubsAndNames)
{
    CpuState cpu(ChipModel::C8051);
    cpu.WriteBit('0', BitAddress{0x90, 0});
    ChipPins pins;
    pins.LayOutPins(ChipModel::C8051);
    pins.UpdatePinLevels(cpu);
    const auto list = pins.DrawChip();

    // The body's three shades and its outline come first, then the latch squares.
    ASSERT_EQ(list.rects.size(), 4u + 32u);
    const auto& outline = list.rects[3];
    EXPECT_TRUE(outline.hasOutline);
    EXPECT_EQ(outline.outline, (zelo::app::Rgb{0, 0, 0}));
    EXPECT_EQ(outline.left, 500);
    EXPECT_EQ(outline.top, 300);
    EXPECT_EQ(outline.width, 2400);
    EXPECT_EQ(outline.height, 4800);
    bool sawGrey[3] = {false, false, false};
    for (const auto& r : list.rects) {
        if (!r.fill) continue;
        sawGrey[0] = sawGrey[0] || *r.fill == zelo::app::Rgb{230, 230, 230};
        sawGrey[1] = sawGrey[1] || *r.fill == zelo::app::Rgb{220, 220, 220};
        sawGrey[2] = sawGrey[2] || *r.fill == zelo::app::Rgb{200, 200, 200};
    }
    EXPECT_TRUE(sawGrey[0] && sawGrey[1] && sawGrey[2]);

    ASSERT_EQ(list.lines.size(), 40u);
    ASSERT_EQ(list.texts.size(), 40u);
    EXPECT_EQ(list.lines[0].width, 3);
    EXPECT_EQ(list.lines[0].colour, Palette(0)) << "P1.0 low";
    EXPECT_EQ(list.lines[1].colour, Palette(12)) << "P1.1 high";
    EXPECT_EQ(list.texts[0].colour, Palette(0));
    EXPECT_EQ(list.texts[0].left, 490);
    EXPECT_EQ(list.texts[0].top, 320);
    EXPECT_EQ(list.texts[39].left, 1830);
    EXPECT_EQ(list.texts[39].text, "       VCC");
    EXPECT_EQ(list.lines[17].colour, Palette(9)) << "XTAL2";

    pins.LayOutPins(ChipModel::C89Cx051);
    const auto small = pins.DrawChip();
    EXPECT_EQ(small.lines.size(), 20u);
    EXPECT_EQ(small.rects[3].height, 2400);
}

}  // namespace
