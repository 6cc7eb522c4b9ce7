// toml++ is compiled here alone, header-only and without exceptions, so a
// parse error is a value like every other problem of the file.
#define TOML_HEADER_ONLY 1
#define TOML_EXCEPTIONS 0
#include "grade/assignment_reader.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <set>

#include "board/board_wiring.h"
#include "core/hex_text.h"
#include "core/input_script.h"
#include "core/text_file.h"

namespace zelo::grade {
namespace {

std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// Collects the problems of one file, each with its position and field.
class Reader
{
public:
    Reader(std::string_view sourceName, std::filesystem::path folder)
        : m_source(sourceName), m_folder(std::move(folder)), m_chipTables(core::ChipModel::C8051)
    {
    }

    AssignmentRead Read(std::string_view text);

private:
    void Problem(const toml::source_region* region, const std::string& field,
                 const std::string& message)
    {
        std::string where = m_source;
        if (region && region->begin)
            where += ":" + std::to_string(region->begin.line) + ":" +
                     std::to_string(region->begin.column);
        m_problems.push_back(where + ": " + field + ": " + message);
    }
    void Problem(const toml::node* node, const std::string& field, const std::string& message)
    {
        Problem(node ? &node->source() : nullptr, field, message);
    }
    void CheckKeys(const toml::table& table, const std::string& field,
                   std::initializer_list<std::string_view> allowed);
    std::optional<uint64_t> Count(const toml::table& table, std::string_view key,
                                  const std::string& field);
    std::optional<std::string> Text(const toml::table& table, std::string_view key,
                                    const std::string& field);
    std::optional<CodeTarget> Target(const toml::table& table, std::string_view key,
                                     const std::string& field);
    std::optional<std::filesystem::path> FileField(const toml::table& table, std::string_view key,
                                                   const std::string& field);
    std::vector<LocationValue> Values(const toml::node& node, const std::string& field, Space space,
                                      bool pins);
    void ReadCase(const toml::table& table, const std::string& field, Assignment& assignment,
                  const GradingCase& defaults);
    void ReadInit(const toml::table& table, const std::string& field, GradingCase& grading);
    void ReadInputScript(const toml::node* node, const std::string& field, GradingCase& grading);
    void ReadExpect(const toml::table& table, const std::string& field, GradingCase& grading);
    void ReadPins(const toml::node& node, const std::string& field, Expectations& expect);
    void ReadUart(const toml::node& node, const std::string& field, Expectations& expect);
    void ReadBoardFile(const toml::node* node, const std::string& field, GradingCase& grading);
    void ReadBoardExpect(const toml::node& node, const std::string& field, GradingCase& grading);
    void ReadBoardSample(const toml::node& item, const std::string& field, GradingCase& grading);

    std::string m_source;
    std::filesystem::path m_folder;
    core::CpuState m_chipTables;  // the SFR names of the assignment's chip
    core::ChipModel m_chip = core::ChipModel::C8051;
    std::vector<std::string> m_problems;
    bool m_caseNamesBoard = false;  // the case being read has a `board` field
    bool m_caseBoardRead = false;   // and its file was read without a problem
};

std::string Join(const std::string& field, std::string_view key)
{
    return field.empty() ? std::string(key) : field + "." + std::string(key);
}

void Reader::CheckKeys(const toml::table& table, const std::string& field,
                       std::initializer_list<std::string_view> allowed)
{
    for (auto&& [key, node] : table) {
        if (std::find(allowed.begin(), allowed.end(), key.str()) != allowed.end()) continue;
        std::string list;
        for (std::string_view a : allowed) list += (list.empty() ? "" : ", ") + std::string(a);
        Problem(&key.source(), Join(field, key.str()),
                "unknown field (expected one of: " + list + ")");
    }
}

std::optional<uint64_t> Reader::Count(const toml::table& table, std::string_view key,
                                      const std::string& field)
{
    const toml::node* node = table.get(key);
    if (!node) return std::nullopt;
    const auto value = node->value_exact<int64_t>();
    if (!value || *value <= 0) {
        Problem(node, Join(field, key), "must be a positive whole number");
        return std::nullopt;
    }
    return static_cast<uint64_t>(*value);
}

std::optional<std::string> Reader::Text(const toml::table& table, std::string_view key,
                                        const std::string& field)
{
    const toml::node* node = table.get(key);
    if (!node) return std::nullopt;
    const auto value = node->value_exact<std::string>();
    if (!value) Problem(node, Join(field, key), "must be a text in quotes");
    return value;
}

std::optional<CodeTarget> Reader::Target(const toml::table& table, std::string_view key,
                                         const std::string& field)
{
    const toml::node* node = table.get(key);
    if (!node) return std::nullopt;
    CodeTarget target;
    if (const auto number = node->value_exact<int64_t>()) {
        if (*number < 0 || *number > 0xFFFF) {
            Problem(node, Join(field, key), "a code address must be 0000H-FFFFH");
            return std::nullopt;
        }
        target.address = static_cast<uint16_t>(*number);
        return target;
    }
    const auto text = node->value_exact<std::string>();
    if (!text || text->empty() || text->find_first_of(" \t;,") != std::string::npos) {
        Problem(node, Join(field, key),
                "must be a label of the program (\"DONE\") or a code address (0x0040)");
        return std::nullopt;
    }
    if (const auto number = ParseAddressNumber(*text, 0xFFFF);
        number && std::isdigit(static_cast<unsigned char>((*text)[0]))) {
        target.address = static_cast<uint16_t>(*number);
    } else {
        target.label = Upper(*text);
        if (!target.label.empty() && target.label.back() == ':') target.label.pop_back();
    }
    return target;
}

std::optional<std::filesystem::path> Reader::FileField(const toml::table& table,
                                                       std::string_view key,
                                                       const std::string& field)
{
    const auto text = Text(table, key, field);
    if (!text) return std::nullopt;
    std::filesystem::path path(*text);
    if (path.is_relative()) path = m_folder / path;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        Problem(table.get(key), Join(field, key), "file not found: " + path.string());
        return std::nullopt;
    }
    return path;
}

// The case's input script, parsed once for every run of the case; each bad
// line of it is a problem of the field, naming the script and the line.
void Reader::ReadInputScript(const toml::node* node, const std::string& field, GradingCase& grading)
{
    const std::string name = grading.input->filename().string();
    std::string error;
    const auto text = core::ReadTextFile(*grading.input, &error);
    if (!text) {
        Problem(node, field, name + ": " + (error.empty() ? "cannot be read" : error));
        return;
    }
    core::InputScript script = core::ParseInputScript(*text);
    for (const core::ScriptProblem& p : script.problems)
        Problem(node, field, name + ": " + core::ProblemText(p));
    grading.inputEvents = std::move(script.events);
}

// The case's board, read once for every run of the case; every problem of
// the file (its JSON line, a component's wiring, a pin the chip lacks) is a
// problem of the field.
void Reader::ReadBoardFile(const toml::node* node, const std::string& field, GradingCase& grading)
{
    board::BoardRead read = board::ReadBoardFile(*grading.board, m_chip);
    for (const std::string& p : read.problems) Problem(node, field, p);
    m_caseBoardRead = read.problems.empty();
    grading.boardWiring = std::move(read.wiring);
}

// Characters as the LCD shows them: UTF-8 sequences count once.
std::size_t Characters(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string TrimEnd(std::string text)
{
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// One board state: each part named must be one the board has, in the form
// the board shows it.
void Reader::ReadBoardSample(const toml::node& item, const std::string& field, GradingCase& grading)
{
    const toml::table* table = item.as_table();
    if (!table) {
        Problem(&item, field,
                "must be a table ({ leds = \"10000000\", digits = \"1234\", lcd = \"HELLO\" })");
        return;
    }
    CheckKeys(*table, field, {"at_cycle", "leds", "digits", "lcd"});
    const std::size_t problemsBefore = m_problems.size();
    const board::BoardWiring& wiring = grading.boardWiring;
    BoardSample sample;
    if (table->contains("at_cycle")) sample.atCycle = Count(*table, "at_cycle", field);
    if (const auto leds = Text(*table, "leds", field)) {
        const std::size_t count = wiring.leds ? wiring.leds->pins.size() : 0;
        if (count == 0)
            Problem(table->get("leds"), Join(field, "leds"), "the board has no LEDs");
        else if (leds->size() != count || leds->find_first_not_of("01") != std::string::npos)
            Problem(
                table->get("leds"), Join(field, "leds"),
                "must be " + std::to_string(count) + " characters 0 or 1, LED 0 first (1 = lit)");
        else
            sample.leds = *leds;
    }
    if (const auto digits = Text(*table, "digits", field)) {
        const auto count = static_cast<std::size_t>(
            std::count_if(digits->begin(), digits->end(), [](char c) { return c != '.'; }));
        if (!wiring.digits)
            Problem(table->get("digits"), Join(field, "digits"),
                    "the board has no 7-segment digits");
        else if (count != static_cast<std::size_t>(wiring.digits->count))
            Problem(table->get("digits"), Join(field, "digits"),
                    "must be " + std::to_string(wiring.digits->count) +
                        " characters, digit 0 first (a blank for a dark digit, \".\" after a "
                        "digit whose point is lit)");
        else
            sample.digits = *digits;
    }
    if (const toml::node* n = table->get("lcd")) {
        const std::string here = Join(field, "lcd");
        std::vector<std::string> lines;
        bool texts = true;
        if (const auto text = n->value_exact<std::string>()) {
            lines.push_back(*text);
        } else if (const toml::array* list = n->as_array();
                   list && !list->empty() && list->size() <= 2) {
            for (const toml::node& line : *list) {
                const auto text = line.value_exact<std::string>();
                texts = texts && text.has_value();
                lines.push_back(text.value_or(""));
            }
        } else {
            texts = false;
        }
        if (!texts)
            Problem(n, here, "must be a text (the first line) or [\"line 1\", \"line 2\"]");
        else if (!wiring.lcd)
            Problem(n, here, "the board has no LCD");
        else if (std::any_of(lines.begin(), lines.end(),
                             [](const std::string& l) { return Characters(l) > 16; }))
            Problem(n, here, "a line of the LCD holds at most 16 characters");
        else
            for (std::string& line : lines) sample.lcd.push_back(TrimEnd(std::move(line)));
    }
    if (m_problems.size() != problemsBefore) return;
    if (!sample.leds && !sample.digits && sample.lcd.empty()) {
        Problem(&item, field, "names nothing the board shows (leds, digits, lcd)");
        return;
    }
    grading.expect.board.push_back(std::move(sample));
}

// A board state at the end of the run, or a list of them with `at_cycle`.
void Reader::ReadBoardExpect(const toml::node& node, const std::string& field, GradingCase& grading)
{
    if (!m_caseNamesBoard) {
        Problem(&node, field, "needs the case's board (board = \"FILE\")");
        return;
    }
    // A board file that could not be found or read is reported already.
    if (!m_caseBoardRead) return;
    if (const toml::array* list = node.as_array()) {
        for (std::size_t k = 0; k < list->size(); ++k)
            ReadBoardSample(*list->get(k), field + "[" + std::to_string(k + 1) + "]", grading);
    } else {
        ReadBoardSample(node, field, grading);
    }
}

// A table of locations and values: a byte takes 0-255 (or an array of
// them, or a text, for consecutive bytes), a bit 0/1 or true/false.
std::vector<LocationValue> Reader::Values(const toml::node& node, const std::string& field,
                                          Space space, bool pins)
{
    std::vector<LocationValue> out;
    const toml::table* table = node.as_table();
    if (!table) {
        Problem(&node, field, "must be a table of locations and values ({ \"30H\" = 0x12 })");
        return out;
    }
    // In the order of the file (toml++ keeps keys sorted): a starting PSW
    // chooses the bank of the R0-R7 written after it.
    std::vector<std::pair<std::string, const toml::node*>> entries;
    for (auto&& [key, value] : *table) entries.emplace_back(std::string(key.str()), &value);
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        const auto& pa = a.second->source().begin;
        const auto& pb = b.second->source().begin;
        return pa.line != pb.line ? pa.line < pb.line : pa.column < pb.column;
    });
    for (const auto& [name, node] : entries) {
        const toml::node& value = *node;
        const std::string here = Join(field, name);
        if (pins && name == "at_cycle") continue;
        const LocationParse parsed = pins ? ParsePinKey(name, m_chip)
                                     : space == Space::Internal
                                         ? ParseInternalKey(name, m_chipTables)
                                     : space == Space::Upper ? ParseUpperKey(name, m_chip)
                                                             : ParseExternalKey(name);
        if (!parsed.location) {
            Problem(&value, here, parsed.problem);
            continue;
        }
        const Location& where = *parsed.location;
        std::vector<unsigned> bytes;
        bool ok = true;
        if (const auto b = value.value_exact<bool>()) {
            bytes.push_back(*b ? 1u : 0u);
        } else if (const auto n = value.value_exact<int64_t>()) {
            ok = *n >= 0 && *n <= (where.IsBit() ? 1 : 0xFF);
            bytes.push_back(static_cast<unsigned>(*n));
        } else if (const auto s = value.value_exact<std::string>(); s && !where.IsBit()) {
            for (unsigned char c : *s) bytes.push_back(c);
            ok = !bytes.empty();
        } else if (const toml::array* list = value.as_array(); list && !where.IsBit()) {
            for (const toml::node& item : *list) {
                const auto n = item.value_exact<int64_t>();
                if (!n || *n < 0 || *n > 0xFF)
                    ok = false;
                else
                    bytes.push_back(static_cast<unsigned>(*n));
            }
            ok = ok && !bytes.empty();
        } else {
            ok = false;
        }
        if (!ok) {
            Problem(&value, here,
                    where.IsBit() ? "a bit takes 0, 1, true or false"
                                  : "a byte takes 0-255 (0x3C), an array of bytes or a text");
            continue;
        }
        const uint32_t limit = where.reg >= 0 ? 8 : space == Space::External ? 0x10000 : 0x100;
        const uint32_t first = where.reg >= 0 ? static_cast<uint32_t>(where.reg) : where.address;
        if (bytes.size() > 1 && (pins || first + bytes.size() > limit)) {
            Problem(&value, here,
                    pins ? "a pin takes one value" : "the bytes run past the end of the space");
            continue;
        }
        for (std::size_t k = 0; k < bytes.size(); ++k)
            out.push_back({Offset(where, static_cast<uint32_t>(k)), bytes[k]});
    }
    return out;
}

void Reader::ReadInit(const toml::table& table, const std::string& field, GradingCase& grading)
{
    CheckKeys(table, field, {"iram", "idata", "xram"});
    if (const toml::node* n = table.get("iram"))
        grading.initIram = Values(*n, Join(field, "iram"), Space::Internal, false);
    if (const toml::node* n = table.get("xram"))
        grading.initXram = Values(*n, Join(field, "xram"), Space::External, false);
    if (const toml::node* n = table.get("idata"))
        grading.initIdata = Values(*n, Join(field, "idata"), Space::Upper, false);
}

void Reader::ReadPins(const toml::node& node, const std::string& field, Expectations& expect)
{
    auto sample = [&](const toml::node& item, const std::string& here) {
        PinSample s;
        if (const toml::table* t = item.as_table()) {
            if (t->contains("at_cycle")) {
                s.atCycle = Count(*t, "at_cycle", here);
                if (!s.atCycle) return;
            }
        }
        s.pins = Values(item, here, Space::Internal, true);
        if (s.pins.empty() && item.is_table()) Problem(&item, here, "names no pin");
        expect.pins.push_back(std::move(s));
    };
    if (const toml::array* list = node.as_array()) {
        for (std::size_t k = 0; k < list->size(); ++k)
            sample(*list->get(k), field + "[" + std::to_string(k + 1) + "]");
    } else {
        sample(node, field);
    }
}

void Reader::ReadUart(const toml::node& node, const std::string& field, Expectations& expect)
{
    UartExpectation uart;
    if (const auto text = node.value_exact<std::string>()) {
        uart.text = *text;
    } else if (const toml::table* t = node.as_table();
               t && t->size() == 1 && (t->contains("exact") || t->contains("pattern"))) {
        uart.isPattern = t->contains("pattern");
        const std::string key = uart.isPattern ? "pattern" : "exact";
        const auto text = Text(*t, key, field);
        if (!text) return;
        uart.text = *text;
        if (uart.isPattern) {
            // std::regex reports a bad pattern by throwing; it stays inside here.
            try {
                uart.pattern =
                    std::make_shared<const std::regex>(uart.text, std::regex::ECMAScript);
            } catch (const std::regex_error& e) {
                Problem(t->get(key), Join(field, key),
                        std::string("not a valid pattern: ") + e.what());
                return;
            }
        }
    } else {
        Problem(
            &node, field,
            "must be a text (the exact stream) or { exact = \"...\" } or { pattern = \"...\" }");
        return;
    }
    expect.uartOut = std::move(uart);
}

void Reader::ReadExpect(const toml::table& table, const std::string& field, GradingCase& grading)
{
    CheckKeys(table, field,
              {"iram", "idata", "xram", "pins", "uart_out", "board", "reaches", "within_cycles",
               "no_error", "cycles_at_most"});
    Expectations& expect = grading.expect;
    if (const toml::node* n = table.get("iram"))
        expect.iram = Values(*n, Join(field, "iram"), Space::Internal, false);
    if (const toml::node* n = table.get("xram"))
        expect.xram = Values(*n, Join(field, "xram"), Space::External, false);
    if (const toml::node* n = table.get("idata"))
        expect.idata = Values(*n, Join(field, "idata"), Space::Upper, false);
    if (const toml::node* n = table.get("pins")) ReadPins(*n, Join(field, "pins"), expect);
    if (const toml::node* n = table.get("uart_out")) ReadUart(*n, Join(field, "uart_out"), expect);
    if (const toml::node* n = table.get("board"))
        ReadBoardExpect(*n, Join(field, "board"), grading);
    expect.reaches = Target(table, "reaches", field);
    expect.withinCycles = Count(table, "within_cycles", field);
    if (expect.withinCycles && !table.contains("reaches"))
        Problem(table.get("within_cycles"), Join(field, "within_cycles"),
                "needs reaches (the label to arrive at)");
    if (const toml::node* n = table.get("no_error")) {
        if (const auto b = n->value_exact<bool>())
            expect.noError = *b;
        else
            Problem(n, Join(field, "no_error"), "must be true or false");
    }
    expect.cyclesAtMost = Count(table, "cycles_at_most", field);
}

void Reader::ReadCase(const toml::table& table, const std::string& field, Assignment& assignment,
                      const GradingCase& defaults)
{
    CheckKeys(table, field,
              {"name", "points", "max_cycles", "max_steps", "stop_at", "input", "board", "init",
               "expect"});
    GradingCase grading = defaults;
    if (const auto name = Text(table, "name", field)) grading.name = *name;
    if (!table.contains("name"))
        Problem(&table, Join(field, "name"), "missing (every case needs a name)");
    if (const toml::node* n = table.get("points")) {
        const auto points = n->value_exact<int64_t>();
        if (!points || *points < 0 || *points > 1'000'000)
            Problem(n, Join(field, "points"), "must be a whole number 0-1000000");
        else
            grading.points = static_cast<int>(*points);
    } else {
        Problem(&table, Join(field, "points"), "missing (every case needs its points)");
    }
    if (auto v = Count(table, "max_cycles", field)) grading.maxCycles = *v;
    if (auto v = Count(table, "max_steps", field)) grading.maxSteps = *v;
    if (auto t = Target(table, "stop_at", field)) grading.stopAt = t;
    grading.input = FileField(table, "input", field);
    if (grading.input) ReadInputScript(table.get("input"), Join(field, "input"), grading);
    m_caseNamesBoard = table.contains("board");
    m_caseBoardRead = false;
    grading.board = FileField(table, "board", field);
    if (grading.board) ReadBoardFile(table.get("board"), Join(field, "board"), grading);
    if (const toml::node* n = table.get("init")) {
        if (const toml::table* t = n->as_table())
            ReadInit(*t, Join(field, "init"), grading);
        else
            Problem(n, Join(field, "init"), "must be a table ([case.init])");
    }
    if (const toml::node* n = table.get("expect")) {
        if (const toml::table* t = n->as_table())
            ReadExpect(*t, Join(field, "expect"), grading);
        else
            Problem(n, Join(field, "expect"), "must be a table ([case.expect])");
    } else {
        Problem(&table, Join(field, "expect"),
                "missing (a case without expectations grades nothing)");
    }
    if (const toml::table* t = table.get_as<toml::table>("expect"); t && t->empty())
        Problem(t, Join(field, "expect"), "names no expectation");
    assignment.cases.push_back(std::move(grading));
}

AssignmentRead Reader::Read(std::string_view text)
{
    AssignmentRead result;
    toml::parse_result parsed = toml::parse(text, m_source);
    if (!parsed) {
        const toml::parse_error& error = parsed.error();
        result.problems.push_back(m_source + ":" + std::to_string(error.source().begin.line) + ":" +
                                  std::to_string(error.source().begin.column) + ": " +
                                  std::string(error.description()));
        return result;
    }
    const toml::table& root = parsed.table();
    CheckKeys(root, "", {"title", "chip", "max_cycles", "max_steps", "stop_at", "case"});
    Assignment assignment;
    if (auto title = Text(root, "title", "")) assignment.title = *title;
    if (auto chip = Text(root, "chip", "")) {
        if (auto model = core::ChipFromName(*chip)) {
            assignment.chip = *model;
        } else {
            Problem(root.get("chip"), "chip",
                    "unknown chip \"" + *chip + "\" (8051, 8052 or 89Cx051)");
        }
    }
    m_chip = assignment.chip;
    m_chipTables = core::CpuState(m_chip);
    m_chipTables.BuildSfrTable();
    GradingCase defaults;
    if (auto v = Count(root, "max_cycles", "")) defaults.maxCycles = *v;
    if (auto v = Count(root, "max_steps", "")) defaults.maxSteps = *v;
    defaults.stopAt = Target(root, "stop_at", "");

    const toml::node* cases = root.get("case");
    const toml::array* list = cases ? cases->as_array() : nullptr;
    if (!list || list->empty()) {
        Problem(cases, "case", "the assignment needs at least one [[case]]");
    } else {
        std::set<std::string> names;
        for (std::size_t k = 0; k < list->size(); ++k) {
            const std::string field = "case[" + std::to_string(k + 1) + "]";
            const toml::table* table = list->get(k)->as_table();
            if (!table) {
                Problem(list->get(k), field, "must be a table ([[case]])");
                continue;
            }
            ReadCase(*table, field, assignment, defaults);
            if (!assignment.cases.empty() && table->contains("name") &&
                !names.insert(assignment.cases.back().name).second)
                Problem(table->get("name"), field + ".name", "another case has the same name");
        }
    }
    result.problems = std::move(m_problems);
    if (result.problems.empty()) result.assignment = std::move(assignment);
    return result;
}

}  // namespace

std::string CodeTarget::Text() const
{
    if (address) return core::ToHexWord(*address) + "H";
    return label;
}

bool Expectations::Empty() const
{
    return iram.empty() && idata.empty() && xram.empty() && pins.empty() && !uartOut &&
           board.empty() && !reaches && !noError && !cyclesAtMost;
}

int Assignment::TotalPoints() const
{
    int total = 0;
    for (const GradingCase& c : cases) total += c.points;
    return total;
}

AssignmentRead ParseAssignment(std::string_view text, std::string_view sourceName,
                               const std::filesystem::path& folder)
{
    return Reader(sourceName, folder).Read(text);
}

AssignmentRead ReadAssignmentFile(const std::filesystem::path& path)
{
    std::string error;
    const auto text = core::ReadTextFile(path, &error);
    if (!text) {
        AssignmentRead result;
        result.problems.push_back(path.string() + ": cannot be read" +
                                  (error.empty() ? "" : ": " + error));
        return result;
    }
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    return ParseAssignment(*text, path.string(), folder);
}

}  // namespace zelo::grade
