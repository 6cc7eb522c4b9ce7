// The serial receiver fed from a queue, and the input script parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input_script.h"
#include "core/serial_receive.h"
#include "core/simulator.h"

using namespace zelo::core;

namespace {

bool LogHas(const CpuState& cpu, const std::string& text)
{
    return cpu.simulationLog.Text().find(text) != std::string::npos;
}

}  // namespace

TEST(ReceiveTest, ModesRenOverrunAndSm2)
{
    struct Case
    {
        const char* name;
        uint8_t scon;
        std::vector<ReceiveByte> queue;
        uint64_t now;
        bool ri, rb8;
        int buffer;  // -1: nothing received
        const char* log;
        double sender = 0;  // the sender's rate; 0: the program's
    };
    const Case cases[] = {
        {"mode 1 loads SBUF, RB8 = stop bit", 0x50, {{0x41, false, 0}}, 965, true, true, 0x41, ""},
        {"not before a character time", 0x50, {{0x41, true, 0}}, 964, false, false, -1, ""},
        {"REN = 0: a sender at the program's rate waits",
         0x40,
         {{0x41, true, 0}},
         965,
         false,
         false,
         -1,
         ""},
        {"REN = 0: a sender at its own rate is ignored",
         0x40,
         {{0x41, true, 0}},
         965,
         false,
         false,
         -1,
         "REN = 0",
         9600},
        {"second byte while RI = 1 is lost",
         0x50,
         {{0x41, true, 0}, {0x42, true, 0}},
         1930,
         true,
         true,
         0x41,
         kReceiveOverrunMessage},
        {"mode 3 SM2 = 1 skips data bytes", 0xF0, {{0x41, false, 0}}, 2000, false, false, -1, ""},
        {"mode 3 SM2 = 1 takes an address byte",
         0xF0,
         {{0x41, true, 0}},
         2000,
         true,
         true,
         0x41,
         ""},
        {"mode 2 SM2 = 0 keeps the ninth bit",
         0x90,
         {{0x42, false, 0}},
         2000,
         true,
         false,
         0x42,
         ""},
        {"mode 0 shifts eight bits in", 0x10, {{0x43, true, 100}}, 108, true, false, 0x43, ""},
        {"bytes wait for their time", 0x50, {{0x41, true, 5000}}, 5964, false, false, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CpuState cpu;
        OutsideState state;
        state.senderBaud = c.sender;
        cpu.StoreByte(0xFD, sfr::TH1);
        cpu.StoreByte(c.scon, sfr::SCON);
        cpu.WriteBit(kBitOne, pbit::TR1);
        // The receiver is looked at as the step loop would: whenever it asks.
        uint64_t next = 0;
        for (uint64_t t = 0; t <= c.now; ++t)
            if (t >= next) next = AdvanceReceiver(cpu, state, c.queue, t);
        EXPECT_EQ(cpu.ReadBit(pbit::RI) == kBitOne, c.ri);
        EXPECT_EQ(cpu.ReadBit(pbit::RB8) == kBitOne, c.rb8);
        EXPECT_EQ(state.received ? state.receiveBuffer : -1, c.buffer);
        if (*c.log) { EXPECT_TRUE(LogHas(cpu, c.log)) << cpu.simulationLog.Text(); }
    }
}

TEST(ReceiveTest, SenderAtAnotherRateIsReportedWithBothRates)
{
    CpuState cpu;
    OutsideState state;
    cpu.StoreByte(0xFD, sfr::TH1);
    cpu.StoreByte(0x50, sfr::SCON);
    cpu.WriteBit(kBitOne, pbit::TR1);
    state.senderBaud = 9450;  // within 2 %: nothing said
    AdvanceReceiver(cpu, state, std::vector<ReceiveByte>{{0x41, true, 0}}, 0);
    EXPECT_FALSE(LogHas(cpu, "differs"));
    OutsideState slow;
    slow.senderBaud = 4800;
    AdvanceReceiver(cpu, slow, std::vector<ReceiveByte>{{0x41, true, 0}}, 0);
    EXPECT_TRUE(LogHas(cpu, "receive baud rate differs: program 9600 BPS, sender 4800 BPS"));
}

TEST(ReceiveTest, SbufReadsTheReceivedByteAndWritesSend)
{
    Simulator sim;
    // MOV SCON,#50H; MOV TH1,#0FDH; MOV TMOD,#20H; SETB TR1;
    // wait: JNB RI,wait; MOV SBUF,#55H; MOV A,SBUF
    const int code[] = {0x75, 0x98, 0x50, 0x75, 0x8D, 0xFD, 0x75, 0x89, 0x20, 0xD2,
                        0x8E, 0x30, 0x98, 0xFD, 0x75, 0x99, 0x55, 0xE5, 0x99};
    for (std::size_t i = 0; i < std::size(code); ++i)
        sim.Cpu().codeMemory[i] = HexCell::FromValue(static_cast<unsigned>(code[i]));
    sim.QueueReceive(0x41);
    for (int i = 0; i < 2000 && sim.ExecuteStep().stopReason == StopReason::None;) ++i;
    EXPECT_EQ(sim.Cpu().PeekRamByteText(sfr::ACC), "41");
    EXPECT_EQ(sim.TransmittedBytes(), std::vector<uint8_t>{0x55});
    EXPECT_EQ(sim.ReceiveWaiting(), 0u);
}

TEST(InputScriptTest, EventsTimesAndValues)
{
    const InputScript script = ParseInputScript(
        "# a comment\r\n"
        "@2ms uart \"A\\r\\n\\x7F\" 42 0x43 bit8=0   ; and another\n"
        "@1000 P3.2=0\n"
        "@150us p1.7 = 1\n"
        "@0 clock P3.4 2kHz\n"
        "@0 uart-baud 4800\n"
        "@1s AIN1=250mV\n"
        "@1000 end\n");
    ASSERT_TRUE(script.Ok()) << ProblemText(script.problems[0]);
    ASSERT_EQ(script.events.size(), 7u);
    using K = InputEvent::Kind;
    const auto& e = script.events;
    // In time order; the two events at 1000 keep their lines' order.
    EXPECT_EQ(e[0].kind, K::Clock);
    EXPECT_EQ(e[0].hertz, 2000.0);
    EXPECT_EQ(e[1].kind, K::UartBaud);
    EXPECT_EQ(e[1].baud, 4800.0);
    EXPECT_EQ(e[2].kind, K::Pin);
    EXPECT_EQ(e[2].cycle, 138u);  // 150 us = 138.24 machine cycles
    EXPECT_TRUE(e[2].high);
    EXPECT_EQ(e[2].port * 10 + e[2].bit, 17);
    EXPECT_EQ(e[3].kind, K::Pin);
    EXPECT_EQ(e[3].line, 3);
    EXPECT_EQ(e[4].kind, K::End);
    EXPECT_EQ(e[5].kind, K::Uart);
    EXPECT_EQ(e[5].cycle, 1843u);  // 2 ms
    EXPECT_EQ(e[5].bytes, (std::vector<uint8_t>{'A', '\r', '\n', 0x7F, 0x42, 0x43}));
    EXPECT_FALSE(e[5].ninth);
    EXPECT_EQ(e[6].kind, K::Analog);
    EXPECT_EQ(e[6].channel, 1);
    EXPECT_DOUBLE_EQ(e[6].volts, 0.25);
    EXPECT_EQ(e[6].cycle, 921600u);
}

TEST(InputScriptTest, BadLinesAreReportedWithTheirNumbers)
{
    const struct
    {
        const char* line;
        const char* message;
    } cases[] = {
        {"P3.2=0", "an event starts with its time"},
        {"@soon P3.2=0", "\"@soon\" is not a time"},
        {"@10", "an event is missing"},
        {"@10 P4.0=0", "\"P4.0\" is not a port pin"},
        {"@10 P1.0=2", "a pin is set to 0 or 1"},
        {"@10 clock P3.4 fast", "is not a frequency"},
        {"@10 clock P3.4 600kHz", "cannot be seen by the chip"},
        {"@10 uart \"AT", "no closing \""},
        {"@10 uart \"\\q\"", "unknown escape \\q"},
        {"@10 uart", "uart needs bytes"},
        {"@10 uart-baud", "uart-baud needs a rate"},
        {"@10 AIN0=many", "is not a voltage"},
        {"@10 blink P1.0", "unknown event \"blink\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const InputScript script =
            ParseInputScript(std::string("@0 P1.0=0\n\n") + c.line + "\n@5 end\n");
        ASSERT_EQ(script.problems.size(), 1u);
        EXPECT_EQ(script.problems[0].line, 3);
        EXPECT_NE(script.problems[0].message.find(c.message), std::string::npos)
            << script.problems[0].message;
        EXPECT_EQ(ProblemText(script.problems[0]).rfind("line 3: ", 0), 0u);
        EXPECT_EQ(script.events.size(), 2u) << "the good lines are kept";
    }
    const InputScript clocks = ParseInputScript(
        "@0 clock P1.0 1kHz\n@0 clock P1.1 1kHz\n@0 clock P1.2 1kHz\n@0 clock P1.3 1kHz\n"
        "@0 clock P1.4 1kHz\n");
    ASSERT_EQ(clocks.problems.size(), 1u);
    EXPECT_EQ(clocks.problems[0].line, 5);
}
