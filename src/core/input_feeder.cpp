#include "core/input_feeder.h"

#include <algorithm>
#include <cmath>

#include "core/serial_receive.h"

namespace zelo::core {

namespace {

constexpr std::size_t kP1 = 1, kP3 = 3;

bool HasComparator(const CpuState& cpu)
{
    return cpu.Chip() == ChipModel::C89Cx051;
}

uint8_t Bit(int k)
{
    return static_cast<uint8_t>(1u << k);
}

void SetScriptPull(PortPins& pins, int port, int bit, bool low)
{
    uint8_t& mask =
        pins.pullBy[static_cast<std::size_t>(PullSource::Script)][static_cast<std::size_t>(port)];
    mask = low ? static_cast<uint8_t>(mask | Bit(bit)) : static_cast<uint8_t>(mask & ~Bit(bit));
}

// Falling edges of a clock at or before cycle t (they fall half a period
// after each start of a period).
int64_t FallsUpTo(const PinClock& clock, double t)
{
    const double first = clock.start + clock.period / 2;
    if (t < first) return 0;
    return static_cast<int64_t>(std::floor((t - first) / clock.period)) + 1;
}

bool ClockLow(const PinClock& clock, double t)
{
    if (t < clock.start) return false;
    return std::fmod(t - clock.start, clock.period) >= clock.period / 2;
}

uint64_t NextClockChange(const PinClock& clock, uint64_t now)
{
    const double half = clock.period / 2;
    const double t = static_cast<double>(now);
    if (t < clock.start) return static_cast<uint64_t>(std::ceil(clock.start));
    const double next = clock.start + (std::floor((t - clock.start) / half) + 1) * half;
    return std::max<uint64_t>(now + 1, static_cast<uint64_t>(std::ceil(next)));
}

void StartClock(PortPins& pins, const InputEvent& event)
{
    PinClock* slot = nullptr;
    for (PinClock& clock : pins.clocks)
        if (clock.active && clock.port == event.port && clock.bit == event.bit) slot = &clock;
    if (slot == nullptr)
        for (PinClock& clock : pins.clocks)
            if (!clock.active && slot == nullptr) slot = &clock;
    if (slot == nullptr) return;  // the script allows four clocks
    uint8_t& clocked = pins.clocked[event.port];
    if (event.hertz <= 0) {
        slot->active = false;
        clocked = static_cast<uint8_t>(clocked & ~Bit(event.bit));
        SetScriptPull(pins, event.port, event.bit, false);
        return;
    }
    *slot = PinClock{true,
                     event.port,
                     event.bit,
                     static_cast<double>(event.cycle),
                     kMachineCyclesPerSecond / event.hertz,
                     event.cycle};
    clocked = static_cast<uint8_t>(clocked | Bit(event.bit));
}

void Apply(CpuState& cpu, OutsideState& state, const InputEvent& event)
{
    PortPins& pins = state.pins;
    switch (event.kind) {
        case InputEvent::Kind::Pin:
            SetScriptPull(pins, event.port, event.bit, !event.high);
            break;
        case InputEvent::Kind::Clock:
            StartClock(pins, event);
            break;
        case InputEvent::Kind::UartBaud:
            state.senderBaud = event.baud;
            break;
        case InputEvent::Kind::Analog:
            pins.ain[static_cast<std::size_t>(event.channel & 1)] = static_cast<float>(event.volts);
            pins.analogGiven = true;
            break;
        case InputEvent::Kind::Uart:  // its bytes are in the receive queue
        case InputEvent::Kind::End:
            break;
    }
    (void)cpu;
}

// Counts the edges of every clock up to `now` and sets its pin's level.
uint64_t RunClocks(OutsideState& outside, PinSamples& samples, uint64_t now)
{
    PortPins& pins = outside.pins;
    uint64_t next = kNoInputCycle;
    for (PinClock& clock : pins.clocks) {
        if (!clock.active) continue;
        const double t = static_cast<double>(now);
        const int64_t falls =
            FallsUpTo(clock, t) - FallsUpTo(clock, static_cast<double>(clock.countedTo));
        clock.countedTo = now;
        if (falls > 0) {
            pins.clockFell[clock.port] =
                static_cast<uint8_t>(pins.clockFell[clock.port] | Bit(clock.bit));
            const auto n = static_cast<uint32_t>(std::min<int64_t>(falls, 1'000'000));
            if (clock.port == kP3 && clock.bit == pin::kT0) samples.pendingCounts[0] += n;
            if (clock.port == kP3 && clock.bit == pin::kT1) samples.pendingCounts[1] += n;
            if (clock.port == kP1 && clock.bit == pin::kT2) samples.pendingCounts[2] += n;
            pins.changed = true;
        }
        SetScriptPull(pins, clock.port, clock.bit, ClockLow(clock, t));
        next = std::min(next, NextClockChange(clock, now));
    }
    return next;
}

}  // namespace

void SamplePinsChanged(CpuState& cpu, PeripheralState& state, OutsideState& outside)
{
    PortPins& pins = outside.pins;
    PinSamples& samples = state.samples;
    const auto& p1 = cpu.internal[sfr::P1];
    const auto& p3 = cpu.internal[sfr::P3];
    pins.changed = false;
    samples.cellsSeen[0] = p1;
    samples.cellsSeen[1] = p3;

    const auto level1 = static_cast<uint8_t>(LatchByte(p1) & ~pins.pulled[kP1]);
    const auto level3 = static_cast<uint8_t>(LatchByte(p3) & ~pins.pulled[kP3]);
    // Edges of clocked pins were counted by the feeder, however many fell.
    const auto stepFell1 =
        static_cast<uint8_t>(samples.sampled[kP1] & ~level1 & ~pins.clocked[kP1]);
    const auto stepFell3 =
        static_cast<uint8_t>(samples.sampled[kP3] & ~level3 & ~pins.clocked[kP3]);
    const auto fell1 = static_cast<uint8_t>(stepFell1 | pins.clockFell[kP1]);
    const auto fell3 = static_cast<uint8_t>(stepFell3 | pins.clockFell[kP3]);
    pins.clockFell[kP1] = pins.clockFell[kP3] = 0;
    samples.sampled[kP1] = level1;
    samples.sampled[kP3] = level3;

    // Edge-triggered requests (ITx = 1); level-triggered ones follow the pin.
    if ((fell3 & Bit(pin::kInt0)) && cpu.ReadBit(pbit::IT0) == kBitOne)
        cpu.WriteBit(kBitOne, pbit::IE0);
    if ((fell3 & Bit(pin::kInt1)) && cpu.ReadBit(pbit::IT1) == kBitOne)
        cpu.WriteBit(kBitOne, pbit::IE1);
    state.intPinLow[0] = !(level3 & Bit(pin::kInt0));
    state.intPinLow[1] = !(level3 & Bit(pin::kInt1));

    if (stepFell3 & Bit(pin::kT0)) ++samples.pendingCounts[0];
    if (stepFell3 & Bit(pin::kT1)) ++samples.pendingCounts[1];
    if (stepFell1 & Bit(pin::kT2)) ++samples.pendingCounts[2];
    if (fell1 & Bit(pin::kT2ex)) samples.t2exFell = true;
}

bool FeedInputs(CpuState& cpu, OutsideState& state, PeripheralState& peripherals,
                std::span<const InputEvent> events, std::span<const ReceiveByte> queue,
                uint64_t now)
{
    bool ended = false;
    while (state.inputNext < events.size() && events[state.inputNext].cycle <= now) {
        const InputEvent& event = events[state.inputNext++];
        if (event.kind == InputEvent::Kind::End) {
            ended = true;
            state.inputDone = true;
            break;
        }
        Apply(cpu, state, event);
    }
    uint64_t next = RunClocks(state, peripherals.samples, now);
    CombinePulls(state.pins, HasComparator(cpu));
    if (state.inputNext < events.size()) next = std::min(next, events[state.inputNext].cycle);
    next = std::min(next, AdvanceReceiver(cpu, state, queue, now));
    state.nextInputCycle = next;
    return ended;
}

void SetPullDowns(CpuState& cpu, OutsideState& state, PullSource source, const PortBytes& pulls)
{
    PortBytes& mine = state.pins.pullBy[static_cast<std::size_t>(source)];
    if (mine == pulls) return;
    mine = pulls;
    CombinePulls(state.pins, HasComparator(cpu));
}

}  // namespace zelo::core
