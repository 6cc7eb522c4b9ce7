#include <gtest/gtest.h>

#include "app/number_converter.h"

namespace zelo::app {
namespace {

struct ConverterCase {
    int box;
    std::string typed;
    std::array<std::string, 4> expected;  // Bin, Oct, Dec, Hex after the change
};

class ConverterCases : public ::testing::TestWithParam<ConverterCase> {};

TEST_P(ConverterCases, FillsTheOtherBoxesOrClearsAll)
{
    const auto& c = GetParam();
    NumberConverter converter;
    converter.Changed(3, "7F");  // something in the boxes before
    converter.Changed(c.box, c.typed);
    EXPECT_EQ(converter.Boxes(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, ConverterCases,
    ::testing::Values(
        ConverterCase{3, "ff", {"11111111", "377", "255", "ff"}},  // typed box keeps its text
        ConverterCase{2, "10", {"1010", "12", "10", "A"}},
        ConverterCase{0, "1111111111111111", {"1111111111111111", "177777", "65535", "FFFF"}},
        ConverterCase{2, "65536", {"10000000000000000", "200000", "65536", "10000"}},
        ConverterCase{2, "0", {"0", "0", "0", "0"}},
        ConverterCase{1, "0017", {"1111", "0017", "15", "F"}},
        // clearing cases
        ConverterCase{2, "", {"", "", "", ""}},
        ConverterCase{3, "1?", {"", "", "", ""}},
        ConverterCase{0, "10000000000000000", {"", "", "", ""}},  // 17 binary digits
        ConverterCase{1, "1234567", {"", "", "", ""}},            // 7 octal digits
        ConverterCase{2, "65537", {"", "", "", ""}},              // above 65536
        ConverterCase{2, "123456", {"", "", "", ""}},             // 6 decimal digits
        ConverterCase{3, "10000", {"", "", "", ""}},              // 5 hex digits
        ConverterCase{1, "777777", {"", "", "", ""}},             // 6 octal digits but > 65536
        ConverterCase{0, "102", {"", "", "", ""}},                // not a binary digit
        ConverterCase{3, "G1", {"", "", "", ""}}));

TEST(NumberConverter, OwnWritesComingBackAsChangeEventsAreIgnored)
{
    NumberConverter converter;
    std::vector<int> written;
    // The window's boxes raise a change event for every write; it re-enters.
    converter.SetWriteHook([&](int box, const std::string& text) {
        written.push_back(box);
        EXPECT_TRUE(converter.Guarded());
        converter.Changed(box, text + "?");  // would clear everything if obeyed
    });
    converter.Changed(2, "200");
    EXPECT_EQ(written, (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(converter.Boxes()[3], "C8");
    EXPECT_EQ(converter.Boxes()[0], "11001000");
    EXPECT_FALSE(converter.Guarded());
    // After the guard is cleared, a user change is obeyed again.
    converter.SetWriteHook(nullptr);
    converter.Changed(3, "1");
    EXPECT_EQ(converter.Boxes()[2], "1");
}

TEST(NumberConverter, OutOfRangeBoxIsIgnored)
{
    NumberConverter converter;
    converter.Changed(4, "12");
    converter.Changed(-1, "12");
    EXPECT_EQ(converter.Boxes(), (std::array<std::string, 4>{"", "", "", ""}));
}

}  // namespace
}  // namespace zelo::app
