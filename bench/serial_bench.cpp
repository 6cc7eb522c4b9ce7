// A polled transmit loop (MOV SBUF,A; JNB TI,$; CLR TI) against the same loop
// waiting on a timer flag without any serial write. Every character writes
// SCON through CLR TI; the serial report must not grow with them, so both run
// at about the same number of steps per second however long they run (the
// simulator keeps going from one iteration to the next).
#include <benchmark/benchmark.h>

#include <initializer_list>

#include "core/simulator.h"

namespace {

using zelo::core::HexCell;
using zelo::core::Simulator;

void Put(Simulator& sim, uint16_t address, std::initializer_list<int> bytes)
{
    for (int b : bytes) sim.Cpu().codeMemory[address++] = HexCell::FromValue(static_cast<unsigned>(b));
}

void RunLoop(benchmark::State& state, std::initializer_list<int> program)
{
    Simulator sim(zelo::core::ChipModel::C8051);
    Put(sim, 0x0000, program);
    sim.SetDisplayFlag(false);
    constexpr int kSteps = 1'000'000;
    for (auto _ : state) {
        for (int i = 0; i < kSteps; ++i) {
            if (sim.ExecuteStep().stopReason != zelo::core::StopReason::None) {
                state.SkipWithError("the program stopped");
                return;
            }
        }
    }
    state.counters["steps/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kSteps, benchmark::Counter::kIsRate);
    state.counters["log lines"] = sim.Cpu().simulationLog.LineCount();
}

void BM_PolledTransmitLoop(benchmark::State& state)
{
    RunLoop(state, {0x75, 0x89, 0x20,   // MOV TMOD,#20H
                    0x75, 0x8D, 0xFD,   // MOV TH1,#0FDH (9600 baud)
                    0x75, 0x98, 0x50,   // MOV SCON,#50H
                    0xD2, 0x8E,         // SETB TR1
                    0xF5, 0x99,         // send: MOV SBUF,A
                    0x30, 0x99, 0xFD,   // JNB TI,$
                    0xC2, 0x99,         // CLR TI
                    0x04,               // INC A
                    0x80, 0xF6});       // SJMP send
}

void BM_LoopWithoutSerialWrites(benchmark::State& state)
{
    RunLoop(state, {0x75, 0x89, 0x22,   // MOV TMOD,#22H
                    0x75, 0x8D, 0xFD,   // MOV TH1,#0FDH
                    0x75, 0x8C, 0x00,   // MOV TH0,#0 (an overflow every 256 cycles)
                    0xD2, 0x8E,         // SETB TR1
                    0xD2, 0x8C,         // SETB TR0
                    0xF5, 0x40,         // loop: MOV 40H,A
                    0x30, 0x8D, 0xFD,   // JNB TF0,$
                    0xC2, 0x8D,         // CLR TF0
                    0x04,               // INC A
                    0x80, 0xF6});       // SJMP loop
}

}  // namespace

BENCHMARK(BM_PolledTransmitLoop)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoopWithoutSerialWrites)->Unit(benchmark::kMillisecond)->MinTime(2.0);
