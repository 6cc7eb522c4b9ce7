// The board's components driven through their pins: what lights, what the
// program reads back, and what the timing of a multiplexed or busy device does.
#include <gtest/gtest.h>

#include "board/board.h"
#include "board/serial_terminal.h"

namespace zelo::board {
namespace {

Board MakeBoard(const char* json)
{
    BoardRead read = ParseBoard(json, core::ChipModel::C8051);
    EXPECT_TRUE(read.Ok()) << read.problems.front();
    return Board(std::move(read.wiring));
}

PortBytes Latches(uint8_t p0, uint8_t p1, uint8_t p2, uint8_t p3)
{
    return {p0, p1, p2, p3};
}

TEST(BoardLedsAndContacts, LedsFollowPinsAndContactsPullLow)
{
    Board b = MakeBoard(R"({"leds": {"pins": "P1"}, "switches": {"pins": ["P2.0", "P2.1"]},
                            "buttons": {"pins": ["P3.2", "P1.6"]}})");
    b.Update(Latches(0xFF, 0b11110101, 0xFF, 0xFF), 10);
    EXPECT_TRUE(b.LedLit(1));   // a 0 lights
    EXPECT_FALSE(b.LedLit(0));  // a 1 leaves it dark
    EXPECT_EQ(b.PullDowns(), kNoPulls);

    b.SetSwitch(1, true);
    b.SetButton(0, true);
    b.SetButton(1, true);  // a button on an LED's pin lights the LED too
    const PortBytes pulls = b.Update(Latches(0xFF, 0b11110101, 0xFF, 0xFF), 11);
    EXPECT_EQ(pulls, Latches(0, 0x40, 0x02, 0x04));
    EXPECT_TRUE(b.LedLit(6));
    EXPECT_EQ(b.PinLevels()[3], 0xFB);

    b.SetButton(0, false);
    EXPECT_EQ(b.Update(Latches(0xFF, 0xFF, 0xFF, 0xFF), 12)[3], 0);
    EXPECT_TRUE(b.SwitchClosed(1));  // a program reload leaves switches where they are
    b.Reset();
    b.Update(kAllHigh, 0);
    EXPECT_TRUE(b.SwitchClosed(1));
    EXPECT_EQ(b.PullDowns()[2], 0x02);
}

TEST(BoardKeypad, APressedKeyJoinsItsRowAndColumn)
{
    Board b = MakeBoard(R"({"keypad": {"rows": ["P1.0", "P1.1", "P1.2", "P1.3"],
                                       "columns": ["P1.4", "P1.5", "P1.6", "P1.7"]}})");
    b.SetKey(2, 1, true);  // row 2, column 1
    // Row 2 driven low: column 1 (P1.5) reads low.
    EXPECT_EQ(b.Update(Latches(0xFF, 0b11111011, 0xFF, 0xFF), 1)[1], 0x20);
    // Another row low: nothing joins.
    EXPECT_EQ(b.Update(Latches(0xFF, 0b11111110, 0xFF, 0xFF), 2)[1], 0);
    // Scanning the other way: column 1 low pulls row 2.
    EXPECT_EQ(b.Update(Latches(0xFF, 0b11011111, 0xFF, 0xFF), 3)[1], 0x04);
    b.SetKey(2, 1, false);
    EXPECT_EQ(b.Update(Latches(0xFF, 0b11111011, 0xFF, 0xFF), 4)[1], 0);
}

constexpr const char* kDirectDigits =
    R"({"digits": {"segments": "P0", "select": ["P2.0", "P2.1", "P2.2", "P2.3"]}})";

// Shows `pattern` (active-high segments) on digit d through a common-anode,
// low-select wiring, at cycle t.
void ShowDigit(Board& b, int d, uint8_t pattern, uint64_t t)
{
    b.Update(Latches(static_cast<uint8_t>(~pattern), 0xFF, static_cast<uint8_t>(~(1u << d)), 0xFF),
             t);
}

TEST(BoardDigits, AFastScanIsSteadyAndASlowOneFlickers)
{
    const uint8_t digits[4] = {0x06, 0x5B, 0x4F, 0x66};  // 1 2 3 4
    struct Case
    {
        uint64_t perDigit;  // cycles each digit stays selected
        const char* text;
        bool flickering;
    };
    // 20 ms persistence = 18432 cycles: four digits of 1 ms each come round
    // in 4 ms; of 10.3 ms each in 41 ms, too late.
    const Case cases[] = {{922, "1234", false}, {9500, "  34", true}};
    for (const Case& c : cases) {
        Board b = MakeBoard(kDirectDigits);
        uint64_t t = 1;
        for (int round = 0; round < 5; ++round)
            for (int d = 0; d < 4; ++d, t += c.perDigit) ShowDigit(b, d, digits[d], t);
        b.Update(kAllHigh, t);  // all dark: what remains is persistence
        EXPECT_EQ(b.Digits()->Text(t), c.text) << c.perDigit;
        EXPECT_EQ(b.Digits()->Flickering(0, t), c.flickering) << c.perDigit;
    }
}

TEST(BoardDigits, DecoderCathodeAndPointWiring)
{
    Board b = MakeBoard(
        R"({"digits": {"segments": "P1", "select": ["P3.3", "P3.4", "P3.5"], "decoder": true,
                                       "count": 8, "common": "cathode"}})");
    // C B A = 1 1 0: digit 6, segments driven high for a cathode display.
    b.Update(Latches(0xFF, 0x80 | 0x6D, 0xFF, 0b11110111), 5);
    EXPECT_EQ(b.Digits()->Visible(6, 5), 0xED);
    EXPECT_EQ(b.Digits()->Text(5), "      5. ");
    EXPECT_EQ(b.Digits()->Visible(3, 5), 0);
}

TEST(BoardDigits, APatternSetBeforeTheSelectChangesDoesNotLinger)
{
    Board b = MakeBoard(kDirectDigits);
    ShowDigit(b, 0, 0x06, 1);  // "1" on digit 0 for 900 cycles
    b.Update(Latches(static_cast<uint8_t>(~0x5B), 0xFF, 0xFE, 0xFF),
             901);  // "2" still on digit 0 briefly
    ShowDigit(b, 1, 0x5B, 903);
    EXPECT_EQ(b.Digits()->Text(1000), "12  ");
}

TEST(BoardDigits, SegmentCharacters)
{
    EXPECT_EQ(SegmentCharacter(0x3F), '0');
    EXPECT_EQ(SegmentCharacter(0x7F | 0x80), '8');
    EXPECT_EQ(SegmentCharacter(0x77), 'A');
    EXPECT_EQ(SegmentCharacter(0x40), '-');
    EXPECT_EQ(SegmentCharacter(0x5F), '?');
}

// An LCD on P1 (8-bit) or P1.4-P1.7 (4-bit), RS P3.4, RW P3.5, E P3.7.
class LcdBus
{
public:
    explicit LcdBus(bool fourBit)
        : m_board(MakeBoard(
              fourBit ? R"({"lcd": {"data": ["P1.4", "P1.5", "P1.6", "P1.7"],
                                                    "rs": "P3.4", "rw": "P3.5", "e": "P3.7"}})"
                      : R"({"lcd": {"data": "P1", "rs": "P3.4", "rw": "P3.5", "e": "P3.7"}})")),
          m_fourBit(fourBit)
    {
        Set(0xFF, false, false, false);
        m_t = Hd44780::kPowerOnCycles;
    }
    // One E pulse of a write.
    void Pulse(uint8_t p1, bool rs)
    {
        Set(p1, rs, false, true);
        Set(p1, rs, false, false);
    }
    void Write(uint8_t value, bool rs, uint64_t wait = Hd44780::kClearCycles)
    {
        if (m_fourBit) {
            Pulse(static_cast<uint8_t>(value | 0x0F), rs);
            Pulse(static_cast<uint8_t>(value << 4 | 0x0F), rs);
        } else {
            Pulse(value, rs);
        }
        m_t += wait;
    }
    // What the program reads on P1 while E is high with RW high.
    uint8_t Read(bool rs)
    {
        Set(0xFF, rs, true, true);
        const uint8_t value = m_board.PinLevels()[1];
        Set(0xFF, rs, true, false);
        return value;
    }
    void Text(const char* s)
    {
        for (; *s; ++s) Write(static_cast<uint8_t>(*s), true);
    }
    const Hd44780& Lcd() const { return *m_board.Lcd(); }
    uint64_t& Time() { return m_t; }

private:
    void Set(uint8_t p1, bool rs, bool rw, bool e)
    {
        const uint8_t p3 =
            static_cast<uint8_t>(0x4F | (rs ? 0x10 : 0) | (rw ? 0x20 : 0) | (e ? 0x80 : 0));
        m_board.Update(Latches(0xFF, p1, 0xFF, p3), ++m_t);
    }
    Board m_board;
    bool m_fourBit;
    uint64_t m_t = 0;
};

TEST(BoardLcd, EightAndFourBitInterfacesWriteTwoLines)
{
    for (bool fourBit : {false, true}) {
        LcdBus lcd(fourBit);
        if (fourBit) lcd.Pulse(0x2F, false);  // still 8-bit: switch to 4-bit with one transfer
        lcd.Time() += Hd44780::kClearCycles;
        lcd.Write(fourBit ? 0x28 : 0x38, false);
        lcd.Write(0x0E, false);  // display and cursor on
        lcd.Write(0x01, false);
        lcd.Text("Hi");
        lcd.Write(0xC3, false);  // line 2, column 3
        lcd.Text("there");
        EXPECT_EQ(lcd.Lcd().Lines()[0], "Hi              ") << fourBit;
        EXPECT_EQ(lcd.Lcd().Lines()[1], "   there        ") << fourBit;
        EXPECT_EQ(lcd.Lcd().CursorLine(), 1);
        EXPECT_EQ(lcd.Lcd().CursorColumn(), 8);
        EXPECT_TRUE(lcd.Lcd().Problems().empty()) << fourBit;
    }
}

TEST(BoardLcd, WrongSequencesShowOnTheGlass)
{
    {  // Never switched on: the text is written but nothing shows.
        LcdBus lcd(false);
        lcd.Write(0x38, false);
        lcd.Text("A");
        EXPECT_FALSE(lcd.Lcd().DisplayOn());
        EXPECT_EQ(lcd.Lcd().Lines()[0], std::string(16, ' '));
    }
    {  // One-line mode: 40H is far along the one long line, off the glass,
        // and the second line stays dark.
        LcdBus lcd(false);
        lcd.Write(0x30, false);
        lcd.Write(0x0C, false);
        lcd.Write(0xC0, false);
        lcd.Text("X");
        EXPECT_EQ(lcd.Lcd().Lines()[0], std::string(16, ' '));
        EXPECT_EQ(lcd.Lcd().Lines()[1], std::string(16, ' '));
        EXPECT_TRUE(lcd.Lcd().Problems().empty());
        lcd.Write(0x38, false);
        lcd.Write(0xA8, false);  // 28H lies between the two lines' addresses
        ASSERT_FALSE(lcd.Lcd().Problems().empty());
        EXPECT_EQ(lcd.Lcd().Problems().front(), "DDRAM address 28H is not on the display");
    }
    {  // Writes without waiting for the busy flag are lost and named.
        LcdBus lcd(false);
        lcd.Write(0x38, false);
        lcd.Write(0x0C, false);
        lcd.Write(0x01, false, 10);  // clear needs 1.52 ms
        lcd.Write('A', true, Hd44780::kClearCycles);
        lcd.Write('B', true);
        EXPECT_EQ(lcd.Lcd().Lines()[0], "B               ");
        EXPECT_EQ(lcd.Lcd().Problems().back(), "ignored while busy: data 41H");
    }
    {  // Straight after power-on the controller is still busy.
        LcdBus lcd(false);
        lcd.Time() = 0;
        lcd.Write(0x38, false);
        EXPECT_EQ(lcd.Lcd().Problems().back(), "ignored while busy: instruction 38H");
    }
}

TEST(BoardLcd, ReadsGiveTheBusyFlagAddressAndData)
{
    for (bool fourBit : {false, true}) {
        LcdBus lcd(fourBit);
        if (fourBit) lcd.Pulse(0x2F, false);
        lcd.Time() += Hd44780::kClearCycles;
        lcd.Write(fourBit ? 0x28 : 0x38, false);
        lcd.Write(0x0C, false);
        lcd.Write(0x85, false, 0);  // DDRAM address 05H, read at once: busy
        uint8_t status = lcd.Read(false);
        if (fourBit) status = static_cast<uint8_t>((status & 0xF0) | lcd.Read(false) >> 4);
        EXPECT_EQ(status, 0x85) << fourBit;
        lcd.Time() += Hd44780::kInstructionCycles;
        status = lcd.Read(false);
        if (fourBit) status = static_cast<uint8_t>((status & 0xF0) | lcd.Read(false) >> 4);
        EXPECT_EQ(status, 0x05) << fourBit;
        lcd.Text("Z");
        lcd.Write(0x85, false);
        uint8_t data = lcd.Read(true);
        if (fourBit) data = static_cast<uint8_t>((data & 0xF0) | lcd.Read(true) >> 4);
        EXPECT_EQ(data, 'Z') << fourBit;
        EXPECT_EQ(lcd.Lcd().AddressCounter(), 0x06) << "a data read moves the address on";
    }
}

TEST(BoardLcd, EntryModeShiftAndHome)
{
    LcdBus lcd(false);
    lcd.Write(0x38, false);
    lcd.Write(0x0C, false);
    lcd.Write(0x04, false);  // decrement
    lcd.Write(0x83, false);
    lcd.Text("abc");
    EXPECT_EQ(lcd.Lcd().Lines()[0], " cba            ");
    lcd.Write(0x18, false);  // display shift left
    EXPECT_EQ(lcd.Lcd().Lines()[0], "cba             ");
    lcd.Write(0x02, false);  // home undoes the shift
    EXPECT_EQ(lcd.Lcd().Lines()[0], " cba            ");
    EXPECT_EQ(lcd.Lcd().AddressCounter(), 0);
    EXPECT_EQ(LcdGlyph(0x5C), "\u00A5");
}

TEST(BoardLcd, AStepTakenBackKeepsWhatTheGlassShows)
{
    LcdBus lcd(false);
    lcd.Write(0x38, false);
    lcd.Write(0x0C, false);
    lcd.Text("A");
    lcd.Time() = 100;  // the cycle counter went back
    EXPECT_EQ(lcd.Read(false) & 0x7F, 0x01);
    EXPECT_EQ(lcd.Lcd().Lines()[0], "A               ");
}

TEST(BoardBuzzer, FrequencyOfTheToggledPinAndSilence)
{
    Board b = MakeBoard(R"({"buzzer": {"pin": "P3.7"}})");
    // 1 kHz: a period of 921.6 cycles, toggled every 461.
    uint64_t t = 0;
    for (int i = 0; i < 20; ++i, t += 461)
        b.Update(Latches(0xFF, 0xFF, 0xFF, i % 2 ? 0xFF : 0x7F), t);
    EXPECT_EQ(b.BuzzerDevice()->FrequencyHz(t), 1000);
    EXPECT_EQ(b.BuzzerDevice()->FrequencyHz(t + Buzzer::kSilence + 1), 0);
}

TEST(BoardTerminal, TypedLinesBecomeBytes)
{
    struct Case
    {
        const char* line;
        bool hex;
        LineEnding ending;
        std::vector<uint8_t> bytes;
        const char* problem;
    };
    const Case cases[] = {
        {"Hi", false, LineEnding::CRLF, {'H', 'i', 0x0D, 0x0A}, ""},
        {"Hi", false, LineEnding::None, {'H', 'i'}, ""},
        {"", false, LineEnding::LF, {0x0A}, ""},
        {"41 0x42,43h 7", true, LineEnding::CR, {0x41, 0x42, 0x43, 0x07, 0x0D}, ""},
        {"41 4G", true, LineEnding::CR, {}, "\"4G\" is not a hex byte (00 to FF)"},
        {"123", true, LineEnding::None, {}, "\"123\" is not a hex byte (00 to FF)"},
    };
    for (const Case& c : cases) {
        const SendLine s = ParseSendLine(c.line, c.hex, c.ending);
        EXPECT_EQ(s.bytes, c.bytes) << c.line;
        EXPECT_EQ(s.problem, c.problem) << c.line;
    }
    SerialTerminal t;
    EXPECT_EQ(t.Send("zz", true), "\"zz\" is not a hex byte (00 to FF)");
    EXPECT_TRUE(t.Pending().empty());
    EXPECT_EQ(t.Send("ok", false), "");
    EXPECT_EQ(t.Pending().size(), 4u);
    EXPECT_EQ(t.TakePending(), 'o');
}

TEST(BoardTerminal, TransmittedTextHexAndBaudWarning)
{
    SerialTerminal t;
    for (char b : std::string("OK\r\n\x01x\ry")) t.OnTransmit(static_cast<uint8_t>(b), 9600);
    EXPECT_EQ(t.Text(), "OK\n.x\ny");
    EXPECT_EQ(t.Hex(), "4F 4B 0D 0A 01 78 0D 79\n");
    EXPECT_EQ(t.BaudWarning(), "");
    t.SetBaud(4800);
    EXPECT_EQ(t.BaudWarning(), "The program sends at 9600 baud; the terminal is set to 4800 baud.");
    t.SetBaud(9500);  // within a receiver's tolerance
    EXPECT_EQ(t.BaudWarning(), "");
}

}  // namespace
}  // namespace zelo::board
