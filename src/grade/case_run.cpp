#include "grade/case_run.h"

#include <algorithm>

#include "board/board.h"
#include "board/board_link.h"
#include "core/hex_text.h"
#include "core/port_pins.h"
#include "core/simulator.h"

namespace zelo::grade {
namespace {

// A byte of the transmit stream; -1 when the program sent undefined bits.
using Stream = std::vector<int>;
// The stream kept for its check. A program sending without end would
// otherwise fill memory and the reports, and the regular-expression matcher
// recurses once per character.
constexpr std::size_t kMaxStream = 4096;

std::string Escaped(const Stream& stream)
{
    std::string out;
    for (int b : stream) {
        if (b < 0)
            out += "\\x??";
        else if (b == '\r')
            out += "\\r";
        else if (b == '\n')
            out += "\\n";
        else if (b == '\t')
            out += "\\t";
        else if (b == '\\')
            out += "\\\\";
        else if (b < 0x20 || b > 0x7E)
            out += "\\x" + core::ToHexByte(static_cast<unsigned>(b));
        else
            out += static_cast<char>(b);
    }
    return out;
}

Stream StreamOf(std::string_view text)
{
    Stream s;
    for (unsigned char c : text) s.push_back(c);
    return s;
}

// The simulator's stop message on one line, without its rule of dashes.
std::string OneLine(std::string_view log)
{
    std::string out;
    bool blank = false;
    for (char c : log) {
        if (c == '-' && (out.empty() || out.back() == '-')) continue;
        if (c == '\r' || c == '\n' || c == ' ' || c == '\t') {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

struct Resolved
{
    std::optional<uint16_t> address;
    std::string problem;
};
Resolved Resolve(const CodeTarget& target, const PreparedProgram& program)
{
    if (target.address) return {target.address, {}};
    const auto found = program.labels.find(target.label);
    if (found != program.labels.end()) return {found->second, {}};
    return {std::nullopt, "the program has no label " + target.label};
}

std::string CheckName(const char* space, const Location& where)
{
    return std::string(space) + " " + where.key;
}

void CheckValues(const core::CpuState& cpu, const std::vector<LocationValue>& values,
                 const char* space, std::vector<CheckResult>& checks,
                 const std::string& suffix = {})
{
    for (const LocationValue& v : values) {
        CheckResult check;
        check.what = CheckName(space, v.where) + suffix;
        check.expected = ValueText(v.where, v.value);
        check.actual = ReadLocationText(cpu, v.where);
        check.status = check.expected == check.actual ? CheckStatus::Pass : CheckStatus::Fail;
        checks.push_back(std::move(check));
    }
}

// A pin as the program would read it: its latch AND NOT pulled from outside
// (a floating P0 pin reads 1).
std::string PinText(const core::Simulator& sim, const Location& where)
{
    const uint8_t level = sim.PinLevels()[static_cast<std::size_t>(
        core::PortIndexOf(static_cast<uint8_t>(where.address)))];
    if (where.IsBit()) return (level >> where.bit) & 1u ? "1" : "0";
    return core::ToHexByte(level);
}

// Adds a check of `expected` against `actual`; a sample the run never
// reached (`actual` empty) fails with `missed` as what was seen.
void AddCheck(std::vector<CheckResult>& checks, std::string what, std::string expected,
              const std::optional<std::string>& actual, const std::string& missed)
{
    CheckResult check;
    check.what = std::move(what);
    check.expected = std::move(expected);
    check.actual = actual.value_or(missed);
    check.status = actual && check.expected == check.actual ? CheckStatus::Pass : CheckStatus::Fail;
    checks.push_back(std::move(check));
}

// The pins now, or (without a simulator) a sample the run never reached.
void CheckPins(const core::Simulator* sim, const std::vector<LocationValue>& values,
               std::vector<CheckResult>& checks, const std::string& suffix,
               const std::string& missed = {})
{
    for (const LocationValue& v : values)
        AddCheck(checks, CheckName("pins", v.where) + suffix, ValueText(v.where, v.value),
                 sim ? std::optional(PinText(*sim, v.where)) : std::nullopt, missed);
}

std::string TrimEnd(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// What the board shows now, part by part, or (without a board) a sample the
// run never reached. The reader accepts only parts the board has.
void CheckBoard(const board::Board* shown, const BoardSample& wanted,
                std::vector<CheckResult>& checks, const std::string& suffix,
                const std::string& missed = {})
{
    if (wanted.leds) {
        std::optional<std::string> leds;
        if (shown) {
            leds.emplace();
            for (int i = 0; i < shown->LedCount(); ++i) *leds += shown->LedLit(i) ? '1' : '0';
        }
        AddCheck(checks, "board leds" + suffix, *wanted.leds, leds, missed);
    }
    if (wanted.digits) {
        std::optional<std::string> text;
        if (shown) text = shown->Digits() ? shown->Digits()->Text(shown->Now()) : "(no digits)";
        AddCheck(checks, "board digits" + suffix, *wanted.digits, text, missed);
    }
    const board::Hd44780* lcd = shown ? shown->Lcd() : nullptr;
    const auto lines = lcd ? lcd->Lines() : std::array<std::string, 2>{};
    for (std::size_t k = 0; k < wanted.lcd.size(); ++k) {
        std::optional<std::string> text;
        if (shown) text = lcd ? TrimEnd(lines[k]) : "(no LCD)";
        AddCheck(checks, "board lcd line " + std::to_string(k + 1) + suffix, wanted.lcd[k], text,
                 missed);
    }
}

// A state sampled during the run: the pins or the board's, at a cycle count.
struct TimedSample
{
    uint64_t atCycle = 0;
    const PinSample* pins = nullptr;
    const BoardSample* board = nullptr;
};

// Only these stops can end a grading run: no breakpoints, watches or step
// counts are set.
RunStop FromSimulator(core::StopReason reason)
{
    switch (reason) {
        case core::StopReason::NoCode:
            return RunStop::NoCode;
        case core::StopReason::Stack:
            return RunStop::Stack;
        case core::StopReason::UndefinedBit:
            return RunStop::UndefinedBit;
        case core::StopReason::InputDone:
            return RunStop::InputDone;
        default:
            return RunStop::NotRun;
    }
}

}  // namespace

const char* RunStopName(RunStop stop)
{
    switch (stop) {
        case RunStop::Target:
            return "stop-point";
        case RunStop::CycleLimit:
            return "cycle-limit";
        case RunStop::StepLimit:
            return "step-limit";
        case RunStop::NoCode:
            return "no-code";
        case RunStop::UndefinedBit:
            return "undefined-bit";
        case RunStop::Stack:
            return "stack";
        case RunStop::InputDone:
            return "input-done";
        default:
            return "not-run";
    }
}

bool IsErrorStop(RunStop stop)
{
    return stop == RunStop::NoCode || stop == RunStop::UndefinedBit || stop == RunStop::Stack;
}

CaseResult RunCase(const Assignment& assignment, const GradingCase& grading,
                   const PreparedProgram& program)
{
    CaseResult result;
    result.name = grading.name;
    result.maxPoints = grading.points;
    if (!program.ok) {
        result.note = "the program did not assemble or load";
        return result;
    }
    std::vector<std::string> notes;
    std::optional<uint16_t> stopAddress, reachAddress;
    if (grading.stopAt) {
        const Resolved r = Resolve(*grading.stopAt, program);
        stopAddress = r.address;
        if (!r.problem.empty()) notes.push_back("stop_at: " + r.problem);
    }
    std::string reachProblem;
    if (grading.expect.reaches) {
        const Resolved r = Resolve(*grading.expect.reaches, program);
        reachAddress = r.address;
        reachProblem = r.problem;
    }

    core::Simulator sim(assignment.chip);
    sim.ResetForLoad();
    core::CpuState& cpu = sim.Cpu();
    cpu.FillCode(core::HexCell::Unloaded());
    cpu.FillExternal(core::HexCell::Unloaded());
    for (const auto& [address, byte] : program.code)
        cpu.codeMemory[address] = core::HexCell::FromValue(byte);
    cpu.programCounter = 0;
    sim.SetDisplayFlag(false);
    for (const LocationValue& v : grading.initIram) WriteLocation(cpu, v.where, v.value);
    for (const LocationValue& v : grading.initIdata) WriteLocation(cpu, v.where, v.value);
    for (const LocationValue& v : grading.initXram) WriteLocation(cpu, v.where, v.value);
    if (grading.input) sim.SetInputEvents(grading.inputEvents);

    // The board is joined to the pins before the first step: its switches,
    // buttons and keypad answer from cycle 0, and it follows every step.
    std::optional<board::Board> shown;
    board::BoardLink link;
    if (grading.board) {
        shown.emplace(grading.boardWiring);
        link.AfterStep(sim, *shown, nullptr, false);
    }

    // Samples taken during the run, in cycle order.
    std::vector<TimedSample> timed;
    for (const PinSample& s : grading.expect.pins)
        if (s.atCycle) timed.push_back({*s.atCycle, &s, nullptr});
    for (const BoardSample& s : grading.expect.board)
        if (s.atCycle) timed.push_back({*s.atCycle, nullptr, &s});
    std::stable_sort(timed.begin(), timed.end(), [](const TimedSample& a, const TimedSample& b) {
        return a.atCycle < b.atCycle;
    });
    std::vector<CheckResult> sampleChecks;
    std::size_t nextSample = 0;
    auto takeSample = [&](const TimedSample& s, const std::string& missed) {
        const std::string suffix = " at cycle " + std::to_string(s.atCycle);
        const bool reached = missed.empty();
        if (s.pins) CheckPins(reached ? &sim : nullptr, s.pins->pins, sampleChecks, suffix, missed);
        if (s.board)
            CheckBoard(reached && shown ? &*shown : nullptr, *s.board, sampleChecks, suffix,
                       missed);
    };
    // The simulator keeps the transmit stream; the grader notes which of its
    // bytes had undefined bits, so that no pattern can match them.
    std::vector<uint64_t> undefinedSent;

    RunStop stop = RunStop::NotRun;
    for (;;) {
        const uint64_t cycles = sim.CycleCounter();
        while (nextSample < timed.size() && timed[nextSample].atCycle <= cycles)
            takeSample(timed[nextSample++], {});
        const uint16_t pc = sim.ProgramCounter();
        if ((stopAddress && pc == *stopAddress) || (reachAddress && pc == *reachAddress)) {
            stop = RunStop::Target;
            result.stopDetail = core::ToHexWord(pc) + "H";
            if (reachAddress && pc == *reachAddress)
                result.stopDetail = grading.expect.reaches->Text();
            else if (grading.stopAt)
                result.stopDetail = grading.stopAt->Text();
            break;
        }
        if (cycles >= grading.maxCycles) {
            stop = RunStop::CycleLimit;
            break;
        }
        if (grading.maxSteps && sim.StepCounter() >= grading.maxSteps) {
            stop = RunStop::StepLimit;
            break;
        }
        const uint64_t sentBefore = sim.TransmittedCount();
        const core::StepReport report = sim.ExecuteStep();
        if (shown) link.AfterStep(sim, *shown, nullptr, report.executed);
        if (sim.TransmittedCount() != sentBefore && sentBefore < kMaxStream &&
            !ReadLocation(cpu, Location::Byte(Space::Internal, core::sfr::SBUF)))
            undefinedSent.push_back(sentBefore);
        if (report.stopReason != core::StopReason::None) {
            stop = FromSimulator(report.stopReason);
            if (stop == RunStop::NoCode)
                result.stopDetail =
                    "nothing loaded at " + core::ToHexWord(sim.ProgramCounter()) + "H";
            else if (stop == RunStop::InputDone)
                result.stopDetail = "end of " + grading.input->filename().string();
            else
                result.stopDetail = OneLine(cpu.simulationLog.Text());
            break;
        }
    }
    result.stop = stop;
    result.cycles = sim.CycleCounter();
    result.steps = sim.StepCounter();
    const Expectations& expect = grading.expect;
    std::vector<CheckResult>& checks = result.checks;

    if (expect.reaches) {
        CheckResult check;
        check.what = "reaches " + expect.reaches->Text();
        check.expected = expect.reaches->Text();
        if (expect.withinCycles)
            check.expected += " within " + std::to_string(*expect.withinCycles) + " cycles";
        const bool arrived =
            stop == RunStop::Target && reachAddress && sim.ProgramCounter() == *reachAddress;
        if (!reachProblem.empty()) {
            check.actual = reachProblem;
        } else if (arrived) {
            check.actual = "at cycle " + std::to_string(result.cycles);
            check.status = !expect.withinCycles || result.cycles <= *expect.withinCycles
                               ? CheckStatus::Pass
                               : CheckStatus::Fail;
        } else {
            check.actual = std::string("not reached (") + RunStopName(stop) + " at cycle " +
                           std::to_string(result.cycles) + ")";
        }
        checks.push_back(std::move(check));
    }
    if (expect.noError) {
        CheckResult check;
        check.what = "no error stop";
        check.expected = "no error";
        check.actual = IsErrorStop(stop) ? std::string(RunStopName(stop)) + ": " + result.stopDetail
                                         : "no error";
        check.status = IsErrorStop(stop) ? CheckStatus::Fail : CheckStatus::Pass;
        checks.push_back(std::move(check));
    }
    if (expect.cyclesAtMost) {
        CheckResult check;
        check.what = "cycles at most " + std::to_string(*expect.cyclesAtMost);
        check.expected = "<= " + std::to_string(*expect.cyclesAtMost);
        // A run cut off by its limit has not finished: it ran longer than it shows.
        const bool cut = stop == RunStop::CycleLimit || stop == RunStop::StepLimit;
        check.actual = cut ? "did not finish (" + std::string(RunStopName(stop)) + " at cycle " +
                                 std::to_string(result.cycles) + ")"
                           : std::to_string(result.cycles);
        check.status =
            !cut && result.cycles <= *expect.cyclesAtMost ? CheckStatus::Pass : CheckStatus::Fail;
        checks.push_back(std::move(check));
    }
    CheckValues(cpu, expect.iram, "iram", checks);
    CheckValues(cpu, expect.idata, "idata", checks);
    CheckValues(cpu, expect.xram, "xram", checks);
    for (const PinSample& s : expect.pins)
        if (!s.atCycle) CheckPins(&sim, s.pins, checks, {});
    if (shown)
        for (const BoardSample& s : expect.board)
            if (!s.atCycle) CheckBoard(&*shown, s, checks, {});
    const std::string missed = "run ended at cycle " + std::to_string(result.cycles);
    for (; nextSample < timed.size(); ++nextSample) takeSample(timed[nextSample], missed);
    for (CheckResult& c : sampleChecks) checks.push_back(std::move(c));
    if (expect.uartOut) {
        const uint64_t sentCount = sim.TransmittedCount();
        Stream sent;
        for (uint8_t b : sim.TransmittedBytes()) {
            if (sent.size() == kMaxStream) break;
            sent.push_back(b);
        }
        for (uint64_t i : undefinedSent) sent[static_cast<std::size_t>(i)] = -1;
        CheckResult check;
        check.what = "uart_out";
        check.actual = Escaped(sent);
        const bool whole = sentCount <= kMaxStream;
        if (!whole)
            check.actual += " ... (" + std::to_string(sentCount) + " bytes sent; at most " +
                            std::to_string(kMaxStream) + " are checked)";
        const bool defined = whole && std::find(sent.begin(), sent.end(), -1) == sent.end();
        if (expect.uartOut->isPattern) {
            check.expected = "pattern " + expect.uartOut->text;
            const std::string text(sent.begin(), sent.end());
            check.status = defined && std::regex_match(text, *expect.uartOut->pattern)
                               ? CheckStatus::Pass
                               : CheckStatus::Fail;
        } else {
            const Stream wanted = StreamOf(expect.uartOut->text);
            check.expected = Escaped(wanted);
            check.status = whole && sent == wanted ? CheckStatus::Pass : CheckStatus::Fail;
        }
        checks.push_back(std::move(check));
    }
    for (std::string& n : notes) result.note += (result.note.empty() ? "" : "; ") + n;
    result.passed = result.note.empty() &&
                    std::all_of(checks.begin(), checks.end(),
                                [](const CheckResult& c) { return c.status == CheckStatus::Pass; });
    result.points = result.passed ? grading.points : 0;
    return result;
}

}  // namespace zelo::grade
