#include "board/board_wiring.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "core/text_file.h"

namespace zelo::board {

namespace {

using nlohmann::json;

// Collects the problems of one component; reading goes on after the first
// so that one pass names everything wrong with the file.
struct Reader
{
    std::string component;
    std::vector<std::string>& problems;

    void Problem(const std::string& text) { problems.push_back("\"" + component + "\": " + text); }

    const json* Field(const json& object, const char* key, bool required)
    {
        const auto it = object.find(key);
        if (it == object.end()) {
            if (required) Problem(std::string("\"") + key + "\" is missing");
            return nullptr;
        }
        return &*it;
    }

    std::optional<PinRef> Pin(const json& value, const char* key)
    {
        if (!value.is_string()) {
            Problem(std::string("\"") + key + "\" must be a pin name such as \"P1.0\"");
            return std::nullopt;
        }
        const auto pin = ParsePinName(value.get<std::string>());
        if (!pin) Problem("\"" + value.get<std::string>() + "\" is not a pin name (P0.0 to P3.7)");
        return pin;
    }

    std::optional<PinRef> PinField(const json& object, const char* key, bool required = true)
    {
        const json* value = Field(object, key, required);
        return value ? Pin(*value, key) : std::nullopt;
    }

    // "P1" for the port's eight pins, or a list of pin names; `sizes` lists the
    // counts allowed (empty: 1 to 8).
    std::optional<std::vector<PinRef>> Pins(const json& object, const char* key,
                                            std::initializer_list<size_t> sizes = {})
    {
        const json* value = Field(object, key, true);
        if (!value) return std::nullopt;
        std::vector<PinRef> pins;
        if (value->is_string()) {
            const std::string port = value->get<std::string>();
            if (port.size() != 2 || (port[0] != 'P' && port[0] != 'p') || port[1] < '0' ||
                port[1] > '3') {
                Problem("\"" + port + "\" is not a port (P0 to P3) in \"" + key + "\"");
                return std::nullopt;
            }
            for (uint8_t bit = 0; bit < 8; ++bit)
                pins.push_back({static_cast<uint8_t>(port[1] - '0'), bit});
        } else if (value->is_array()) {
            for (const json& item : *value) {
                const auto pin = Pin(item, key);
                if (!pin) return std::nullopt;
                pins.push_back(*pin);
            }
        } else {
            Problem(std::string("\"") + key + "\" must be a port such as \"P1\" or a list of pins");
            return std::nullopt;
        }
        const bool sizeOk = sizes.size() == 0
                                ? (!pins.empty() && pins.size() <= 8)
                                : std::find(sizes.begin(), sizes.end(), pins.size()) != sizes.end();
        if (!sizeOk) {
            std::string allowed;
            for (size_t n : sizes) allowed += (allowed.empty() ? "" : " or ") + std::to_string(n);
            Problem(std::string("\"") + key + "\" has " + std::to_string(pins.size()) +
                    " pins; it needs " + (allowed.empty() ? "1 to 8" : allowed));
            return std::nullopt;
        }
        return pins;
    }

    // A choice between two words; true for the first.
    bool Choice(const json& object, const char* key, const char* first, const char* second,
                bool fallback)
    {
        const json* value = Field(object, key, false);
        if (!value) return fallback;
        if (value->is_string() && value->get<std::string>() == first) return true;
        if (value->is_string() && value->get<std::string>() == second) return false;
        Problem(std::string("\"") + key + "\" must be \"" + first + "\" or \"" + second + "\"");
        return fallback;
    }
};

// The same pin twice inside one component is a wiring fault.
void CheckDistinct(Reader& reader, const std::vector<PinRef>& pins)
{
    for (size_t i = 0; i < pins.size(); ++i)
        for (size_t j = i + 1; j < pins.size(); ++j)
            if (pins[i] == pins[j]) {
                reader.Problem(PinName(pins[i]) + " is wired twice");
                return;
            }
}

void ReadLeds(Reader& r, const json& o, BoardWiring& wiring)
{
    auto pins = r.Pins(o, "pins");
    const bool low = r.Choice(o, "lit", "low", "high", true);
    if (!pins) return;
    CheckDistinct(r, *pins);
    wiring.leds = LedWiring{std::move(*pins), low};
}

void ReadContacts(Reader& r, const json& o, std::optional<ContactWiring>& into)
{
    auto pins = r.Pins(o, "pins");
    if (!pins) return;
    CheckDistinct(r, *pins);
    into = ContactWiring{std::move(*pins)};
}

void ReadDigits(Reader& r, const json& o, BoardWiring& wiring)
{
    DigitsWiring d;
    const auto segments = r.Pins(o, "segments", {8});
    const bool decoder =
        o.contains("decoder") && o["decoder"].is_boolean() && o["decoder"].get<bool>();
    if (o.contains("decoder") && !o["decoder"].is_boolean())
        r.Problem("\"decoder\" must be true or false");
    const auto select = decoder ? r.Pins(o, "select", {3}) : r.Pins(o, "select", {4, 8});
    d.commonAnode = r.Choice(o, "common", "anode", "cathode", true);
    d.selectActiveLow = r.Choice(o, "selectActive", "low", "high", true);
    if (const json* p = r.Field(o, "persistenceMs", false)) {
        if (p->is_number() && p->get<double>() > 0 && p->get<double>() <= 1000)
            d.persistenceMs = p->get<double>();
        else
            r.Problem("\"persistenceMs\" must be a number of milliseconds from 0 to 1000");
    }
    d.decoder = decoder;
    if (!segments || !select) return;
    std::copy(segments->begin(), segments->end(), d.segments.begin());
    d.select = *select;
    d.count = static_cast<int>(select->size());
    if (decoder) {
        d.count = 8;
        if (const json* c = r.Field(o, "count", false)) {
            if (c->is_number_integer() && (c->get<int>() == 4 || c->get<int>() == 8))
                d.count = c->get<int>();
            else
                r.Problem("\"count\" must be 4 or 8");
        }
    }
    std::vector<PinRef> all(segments->begin(), segments->end());
    all.insert(all.end(), select->begin(), select->end());
    CheckDistinct(r, all);
    wiring.digits = std::move(d);
}

void ReadKeypad(Reader& r, const json& o, BoardWiring& wiring)
{
    KeypadWiring k;
    const auto rows = r.Pins(o, "rows", {4});
    const auto columns = r.Pins(o, "columns", {4});
    if (const json* l = r.Field(o, "labels", false)) {
        if (l->is_string() && l->get<std::string>().size() == 16)
            k.labels = l->get<std::string>();
        else
            r.Problem("\"labels\" must be 16 characters, row by row");
    }
    if (!rows || !columns) return;
    std::copy(rows->begin(), rows->end(), k.rows.begin());
    std::copy(columns->begin(), columns->end(), k.columns.begin());
    std::vector<PinRef> all(rows->begin(), rows->end());
    all.insert(all.end(), columns->begin(), columns->end());
    CheckDistinct(r, all);
    wiring.keypad = std::move(k);
}

void ReadLcd(Reader& r, const json& o, BoardWiring& wiring)
{
    LcdWiring l;
    const auto data = r.Pins(o, "data", {8, 4});
    const auto rs = r.PinField(o, "rs");
    const auto e = r.PinField(o, "e");
    l.rw = r.PinField(o, "rw", false);
    if (!data || !rs || !e) return;
    l.data = *data;
    l.rs = *rs;
    l.e = *e;
    std::vector<PinRef> all = l.data;
    all.push_back(l.rs);
    all.push_back(l.e);
    if (l.rw) all.push_back(*l.rw);
    CheckDistinct(r, all);
    wiring.lcd = std::move(l);
}

void ReadBuzzer(Reader& r, const json& o, BoardWiring& wiring)
{
    if (const auto pin = r.PinField(o, "pin")) wiring.buzzer = BuzzerWiring{*pin};
}

// Line and column of a byte offset, for the message of a syntax error.
std::string PlaceOf(std::string_view text, size_t offset)
{
    offset = std::min(offset, text.size());
    const size_t line =
        1 + static_cast<size_t>(std::count(text.begin(), text.begin() + offset, '\n'));
    const size_t lineStart = text.rfind('\n', offset == 0 ? 0 : offset - 1);
    const size_t column = lineStart == std::string_view::npos ? offset : offset - lineStart - 1;
    return "line " + std::to_string(line) + ", column " + std::to_string(column + 1);
}

template <typename Wiring>
bool FitsChip(const Wiring& pins, core::ChipModel chip, PinRef& missing)
{
    for (const PinRef& pin : pins)
        if (!ChipHasPin(chip, pin)) {
            missing = pin;
            return false;
        }
    return true;
}

template <typename T>
void DropUnfit(std::optional<T>& component, const char* name, std::vector<PinRef> pins,
               core::ChipModel chip, std::vector<std::string>& problems)
{
    PinRef missing;
    if (!component || FitsChip(pins, chip, missing)) return;
    problems.push_back(std::string("\"") + name + "\": the " + core::ChipName(chip) +
                       " has no pin " + PinName(missing) + "; left off the board");
    component.reset();
}

}  // namespace

void FitToChip(BoardWiring& s, core::ChipModel chip, std::vector<std::string>& problems)
{
    if (s.leds) DropUnfit(s.leds, "leds", s.leds->pins, chip, problems);
    if (s.switches) DropUnfit(s.switches, "switches", s.switches->pins, chip, problems);
    if (s.buttons) DropUnfit(s.buttons, "buttons", s.buttons->pins, chip, problems);
    if (s.digits) {
        std::vector<PinRef> pins(s.digits->segments.begin(), s.digits->segments.end());
        pins.insert(pins.end(), s.digits->select.begin(), s.digits->select.end());
        DropUnfit(s.digits, "digits", pins, chip, problems);
    }
    if (s.keypad) {
        std::vector<PinRef> pins(s.keypad->rows.begin(), s.keypad->rows.end());
        pins.insert(pins.end(), s.keypad->columns.begin(), s.keypad->columns.end());
        DropUnfit(s.keypad, "keypad", pins, chip, problems);
    }
    if (s.lcd) {
        std::vector<PinRef> pins = s.lcd->data;
        pins.push_back(s.lcd->rs);
        pins.push_back(s.lcd->e);
        if (s.lcd->rw) pins.push_back(*s.lcd->rw);
        DropUnfit(s.lcd, "lcd", pins, chip, problems);
    }
    if (s.buzzer) DropUnfit(s.buzzer, "buzzer", {s.buzzer->pin}, chip, problems);
}

BoardRead ParseBoard(std::string_view text, core::ChipModel chip)
{
    BoardRead read;
    json root;
    try {
        root = json::parse(text.begin(), text.end());
    } catch (const json::parse_error& e) {
        read.problems.push_back("not valid JSON at " + PlaceOf(text, e.byte == 0 ? 0 : e.byte - 1));
        return read;
    }
    if (!root.is_object()) {
        read.problems.push_back("a board must be one JSON object of components");
        return read;
    }
    BoardWiring wiring;
    for (const auto& [key, value] : root.items()) {
        if (key == "name") {
            if (value.is_string())
                wiring.name = value.get<std::string>();
            else
                read.problems.push_back("\"name\" must be a text");
            continue;
        }
        Reader r{key, read.problems};
        if (!value.is_object()) {
            if (key == "leds" || key == "switches" || key == "buttons" || key == "digits" ||
                key == "keypad" || key == "lcd" || key == "buzzer")
                r.Problem("the wiring must be a JSON object");
            else
                read.problems.push_back("unknown component \"" + key + "\"");
            continue;
        }
        if (key == "leds")
            ReadLeds(r, value, wiring);
        else if (key == "switches")
            ReadContacts(r, value, wiring.switches);
        else if (key == "buttons")
            ReadContacts(r, value, wiring.buttons);
        else if (key == "digits")
            ReadDigits(r, value, wiring);
        else if (key == "keypad")
            ReadKeypad(r, value, wiring);
        else if (key == "lcd")
            ReadLcd(r, value, wiring);
        else if (key == "buzzer")
            ReadBuzzer(r, value, wiring);
        else
            read.problems.push_back("unknown component \"" + key + "\"");
    }
    // A board with wiring faults is not used at all: half a board would
    // only confuse. Pins the chip lacks leave just their component off.
    if (!read.problems.empty()) return read;
    FitToChip(wiring, chip, read.problems);
    read.wiring = std::move(wiring);
    return read;
}

BoardRead ReadBoardFile(const std::filesystem::path& file, core::ChipModel chip)
{
    const auto text = core::ReadTextFile(file);
    if (!text) {
        BoardRead read;
        read.problems.push_back(file.filename().string() + " cannot be read");
        return read;
    }
    BoardRead read = ParseBoard(*text, chip);
    for (std::string& p : read.problems) p = file.filename().string() + ": " + p;
    if (read.wiring.name.empty()) read.wiring.name = file.stem().string();
    return read;
}

std::vector<std::filesystem::path> ListBoardFiles(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec))
        if (it->path().extension() == ".json" && it->is_regular_file(ec))
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace zelo::board
