#include "core/input_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <set>

namespace zelo::core {

namespace {

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// A decimal number ("2", "2.5", ".5"); nothing for anything else.
std::optional<double> ParseDecimal(std::string_view text)
{
    if (text.empty() || text.size() > 30) return std::nullopt;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A number followed by one of the units (checked longest first), the unit's
// factor applied; a bare number takes `bareFactor` (0: a unit is required).
std::optional<double> ParseWithUnit(std::string_view text,
                                    std::initializer_list<std::pair<const char*, double>> units,
                                    double bareFactor)
{
    const std::string lower = Lower(text);
    for (const auto& [unit, factor] : units) {
        const std::string_view u(unit);
        if (lower.size() > u.size() && lower.ends_with(u)) {
            const auto value =
                ParseDecimal(std::string_view(lower).substr(0, lower.size() - u.size()));
            if (value) return *value * factor;
            return std::nullopt;
        }
    }
    if (bareFactor == 0) return std::nullopt;
    const auto value = ParseDecimal(lower);
    if (!value) return std::nullopt;
    return *value * bareFactor;
}

// "1000" machine cycles, or "2ms", "150us", "1.5s".
std::optional<uint64_t> ParseTime(std::string_view text)
{
    const auto cycles = ParseWithUnit(text,
                                      {{"ms", kMachineCyclesPerSecond / 1e3},
                                       {"us", kMachineCyclesPerSecond / 1e6},
                                       {"s", kMachineCyclesPerSecond}},
                                      1.0);
    if (!cycles || *cycles > 1e15) return std::nullopt;
    return static_cast<uint64_t>(std::llround(*cycles));
}

// "P3.2" (any case): port 0-3, bit 0-7.
bool ParsePin(std::string_view text, uint8_t& port, uint8_t& bit)
{
    if (text.size() != 4 || (text[0] != 'P' && text[0] != 'p') || text[2] != '.') return false;
    if (text[1] < '0' || text[1] > '3' || text[3] < '0' || text[3] > '7') return false;
    port = static_cast<uint8_t>(text[1] - '0');
    bit = static_cast<uint8_t>(text[3] - '0');
    return true;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// One hex byte: "41", "0x41", "41h".
std::optional<uint8_t> ParseHexByte(std::string_view text)
{
    std::string lower = Lower(text);
    if (lower.starts_with("0x"))
        lower.erase(0, 2);
    else if (lower.ends_with('h'))
        lower.pop_back();
    if (lower.empty() || lower.size() > 2) return std::nullopt;
    int value = 0;
    for (char c : lower) {
        const int d = HexValue(c);
        if (d < 0) return std::nullopt;
        value = 16 * value + d;
    }
    return static_cast<uint8_t>(value);
}

// Splits the rest of a line into words; a quoted string is one word (kept
// with its quotes). Returns false on an unterminated string.
bool SplitWords(std::string_view text, std::vector<std::string_view>& words)
{
    std::size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == ',') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        if (text[i] == '"') {
            ++i;
            while (i < text.size() && text[i] != '"') i += text[i] == '\\' ? 2 : 1;
            if (i >= text.size()) return false;
            ++i;
        } else {
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i])) &&
                   text[i] != ',')
                ++i;
        }
        words.push_back(text.substr(start, i - start));
    }
    return true;
}

// The bytes of a quoted string with its escapes; the problem, if any.
std::string Unescape(std::string_view quoted, std::vector<uint8_t>& bytes)
{
    const std::string_view body = quoted.substr(1, quoted.size() - 2);
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\') {
            bytes.push_back(static_cast<uint8_t>(body[i]));
            continue;
        }
        if (++i >= body.size()) return "a string ends in \\";
        switch (body[i]) {
            case 'r':
                bytes.push_back('\r');
                break;
            case 'n':
                bytes.push_back('\n');
                break;
            case 't':
                bytes.push_back('\t');
                break;
            case '0':
                bytes.push_back(0);
                break;
            case '\\':
                bytes.push_back('\\');
                break;
            case '"':
                bytes.push_back('"');
                break;
            case 'x': {
                const int hi = i + 1 < body.size() ? HexValue(body[i + 1]) : -1;
                const int lo = i + 2 < body.size() ? HexValue(body[i + 2]) : -1;
                if (hi < 0 || lo < 0) return "\\x needs two hex digits";
                bytes.push_back(static_cast<uint8_t>(16 * hi + lo));
                i += 2;
                break;
            }
            default:
                return std::string("unknown escape \\") + body[i];
        }
    }
    return {};
}

// Parses the event after the time; the problem, or "".
std::string ParseEvent(std::string_view rest, InputEvent& event)
{
    std::vector<std::string_view> words;
    if (!SplitWords(rest, words)) return "a string has no closing \"";
    if (words.empty()) return "an event is missing after the time";
    const std::string head = Lower(words[0]);

    if (head == "end") {
        if (words.size() != 1) return "end takes nothing after it";
        event.kind = InputEvent::Kind::End;
        return {};
    }
    if (head == "clock") {
        if (words.size() != 3) return "clock needs a pin and a frequency: clock P3.4 500Hz";
        if (!ParsePin(words[1], event.port, event.bit))
            return "\"" + std::string(words[1]) + "\" is not a port pin";
        event.kind = InputEvent::Kind::Clock;
        if (Lower(words[2]) == "off") return {};
        const auto hz = ParseWithUnit(words[2], {{"mhz", 1e6}, {"khz", 1e3}, {"hz", 1.0}}, 0);
        if (!hz || *hz <= 0)
            return "\"" + std::string(words[2]) + "\" is not a frequency (500Hz, 2kHz, off)";
        if (*hz > kMachineCyclesPerSecond / 2)
            return "a clock faster than half the machine-cycle rate (460.8 kHz) cannot be seen by "
                   "the chip";
        event.hertz = *hz;
        return {};
    }
    if (head == "uart-baud") {
        const auto baud = words.size() == 2 ? ParseDecimal(words[1]) : std::nullopt;
        if (!baud || *baud <= 0) return "uart-baud needs a rate: uart-baud 9600";
        event.kind = InputEvent::Kind::UartBaud;
        event.baud = *baud;
        return {};
    }
    if (head == "uart") {
        event.kind = InputEvent::Kind::Uart;
        for (std::size_t i = 1; i < words.size(); ++i) {
            const std::string_view w = words[i];
            const std::string lw = Lower(w);
            if (w.front() == '"') {
                if (std::string problem = Unescape(w, event.bytes); !problem.empty())
                    return problem;
            } else if (lw == "bit8=0" || lw == "bit8=1") {
                event.ninth = lw.back() == '1';
            } else if (const auto byte = ParseHexByte(w)) {
                event.bytes.push_back(*byte);
            } else {
                return "\"" + std::string(w) + "\" is neither a quoted string nor a hex byte";
            }
        }
        if (event.bytes.empty()) return "uart needs bytes: uart \"AT\\r\\n\" or uart 41 42";
        return {};
    }
    // "P3.2=0" or "AIN0=2.5V", blanks around "=" allowed.
    std::string joined;
    for (auto w : words) joined += w;
    const auto eq = joined.find('=');
    if (eq == std::string::npos) return "unknown event \"" + std::string(words[0]) + "\"";
    const std::string_view name(joined.data(), eq);
    const std::string_view value = std::string_view(joined).substr(eq + 1);
    const std::string lname = Lower(name);
    if (lname == "ain0" || lname == "ain1") {
        const auto volts = ParseWithUnit(value, {{"mv", 1e-3}, {"v", 1.0}}, 1.0);
        if (!volts || *volts > 6.0)
            return "\"" + std::string(value) + "\" is not a voltage between 0 and 6 V";
        event.kind = InputEvent::Kind::Analog;
        event.channel = lname.back() - '0';
        event.volts = *volts;
        return {};
    }
    if (!ParsePin(name, event.port, event.bit))
        return "\"" + std::string(name) + "\" is not a port pin or AIN0/AIN1";
    if (value != "0" && value != "1")
        return "a pin is set to 0 or 1, not \"" + std::string(value) + "\"";
    event.kind = InputEvent::Kind::Pin;
    event.high = value == "1";
    return {};
}

}  // namespace

InputScript ParseInputScript(std::string_view text)
{
    InputScript script;
    std::set<int> clockPins;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos) {
            text = {};
        } else {
            text.remove_prefix(end + (text.substr(end, 2) == "\r\n" ? 2 : 1));
        }
        // Comments, outside quoted strings.
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '\\' && quoted) {
                ++i;
            } else if (line[i] == '"') {
                quoted = !quoted;
            } else if (!quoted && (line[i] == '#' || line[i] == ';')) {
                line = line.substr(0, i);
                break;
            }
        }
        line = Trim(line);
        if (line.empty()) continue;
        if (line.front() != '@') {
            script.problems.push_back({lineNumber, "an event starts with its time: @1000 or @2ms"});
            continue;
        }
        std::size_t space = 1;
        while (space < line.size() && !std::isspace(static_cast<unsigned char>(line[space])))
            ++space;
        InputEvent event;
        event.line = lineNumber;
        const auto time = ParseTime(line.substr(1, space - 1));
        if (!time) {
            script.problems.push_back({lineNumber, "\"" + std::string(line.substr(0, space)) +
                                                       "\" is not a time (@1000, @2ms, @150us)"});
            continue;
        }
        event.cycle = *time;
        if (std::string problem = ParseEvent(line.substr(space), event); !problem.empty()) {
            script.problems.push_back({lineNumber, std::move(problem)});
            continue;
        }
        if (event.kind == InputEvent::Kind::Clock) {
            clockPins.insert(8 * event.port + event.bit);
            if (static_cast<int>(clockPins.size()) > 4) {
                script.problems.push_back({lineNumber, "at most four pins can have clocks"});
                continue;
            }
        }
        script.events.push_back(std::move(event));
    }
    SortByTime(script.events);
    return script;
}

void SortByTime(std::vector<InputEvent>& events)
{
    // An insertion sort: scripts are short and mostly in order already, and
    // events of one time keep their order.
    for (std::size_t i = 1; i < events.size(); ++i) {
        std::size_t j = i;
        while (j > 0 && events[j - 1].cycle > events[j].cycle) {
            std::swap(events[j - 1], events[j]);
            --j;
        }
    }
}

std::string ProblemText(const ScriptProblem& problem)
{
    return "line " + std::to_string(problem.line) + ": " + problem.message;
}

}  // namespace zelo::core
