// Undisplayed steps allocate nothing: a long run in the window must not build
// strings or touch the heap per instruction.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "core/simulator.h"

namespace {
std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size)
{
    if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

using namespace zelo::core;

namespace {

void LoadBusyProgram(Simulator& sim)
{
    auto put = [&sim](uint16_t address, std::initializer_list<int> bytes) {
        for (int b : bytes) sim.Cpu().codeMemory[address++] = HexCell::FromValue(static_cast<unsigned>(b));
    };
    put(0x0000, {0x02, 0x00, 0x30});              // LJMP 0030
    put(0x000B, {0x05, 0x40, 0x32});              // INC 40H; RETI
    put(0x0030, {0x75, 0xD0, 0x00,                // MOV PSW,#0
                 0x75, 0x40, 0x00,                // MOV 40H,#0
                 0x75, 0x89, 0x02,                // MOV TMOD,#02
                 0x75, 0xA8, 0x82,                // MOV IE,#82H
                 0xD2, 0x8C,                      // SETB TR0
                 0x90, 0x01, 0x00,                // loop: MOV DPTR,#0100H
                 0x74, 0x07, 0x93,                // MOV A,#7; MOVC A,@A+DPTR
                 0xF0, 0xE0,                      // MOVX @DPTR,A; MOVX A,@DPTR
                 0x24, 0x35, 0xD4,                // ADD A,#35H; DA A
                 0x12, 0x00, 0x60,                // LCALL 0060
                 0x80, 0xEC});                    // SJMP loop
    put(0x0060, {0xC0, 0xE0, 0xD0, 0xE0, 0x22});  // PUSH ACC; POP ACC; RET
    for (int a = 0x0100; a < 0x0110; ++a) sim.Cpu().codeMemory[a] = HexCell::FromValue(0x11);
}

}  // namespace

TEST(StepAllocationTest, UndisplayedStepsDoNotAllocate)
{
    Simulator sim;
    LoadBusyProgram(sim);
    sim.SetTextStop("1000000");
    sim.ToggleRun();
    sim.RunBatch(200);  // past the one-time reports
    ASSERT_TRUE(sim.Running());
    g_allocations = 0;
    g_counting = true;
    const StepReport report = sim.RunBatch(20000);
    g_counting = false;
    EXPECT_EQ(report.stepsExecuted, 20000);
    EXPECT_GT(sim.Cpu().PeekRamByteText(0x40), "00");  // interrupts were entered
    EXPECT_EQ(g_allocations.load(), 0);
}

// Clocks, pin changes and bytes waiting on RXD are fed in the step loop
// without touching the heap either.
TEST(StepAllocationTest, InputEventsDoNotAllocate)
{
    Simulator sim;
    LoadBusyProgram(sim);
    std::vector<InputEvent> events(5);
    events[0].kind = InputEvent::Kind::Clock;
    events[0].port = 3, events[0].bit = 4, events[0].hertz = 50'000;
    events[1].kind = InputEvent::Kind::Clock;
    events[1].port = 1, events[1].bit = 1, events[1].hertz = 3'000;
    events[2].kind = InputEvent::Kind::Pin;
    events[2].port = 3, events[2].bit = 2, events[2].high = false, events[2].cycle = 5'000;
    events[3] = events[2];
    events[3].high = true, events[3].cycle = 9'000;
    events[4].kind = InputEvent::Kind::Uart;
    events[4].bytes = {'h', 'i'};
    sim.SetInputEvents(std::move(events));
    sim.SetTextStop("1000000");
    sim.ToggleRun();
    sim.RunBatch(200);
    g_allocations = 0;
    g_counting = true;
    const StepReport report = sim.RunBatch(20000);
    g_counting = false;
    EXPECT_EQ(report.stepsExecuted, 20000);
    EXPECT_EQ(g_allocations.load(), 0);
    EXPECT_EQ(sim.ReceiveWaiting(), 2u) << "the receiver is off: the bytes wait";
}
