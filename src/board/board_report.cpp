#include "board/board_report.h"

#include "core/hex_text.h"

namespace zelo::board {

nlohmann::json BoardReport(const Board& board, const std::vector<std::string>& problems,
                           const SerialTerminal* terminal)
{
    nlohmann::json j;
    const uint64_t now = board.Now();
    j["name"] = board.Wiring().name;
    j["problems"] = problems;
    if (board.LedCount() > 0) {
        std::string leds;
        for (int i = 0; i < board.LedCount(); ++i) leds += board.LedLit(i) ? '1' : '0';
        j["leds"] = leds;
    }
    if (const SevenSegmentDisplay* digits = board.Digits()) {
        nlohmann::json segments = nlohmann::json::array();
        nlohmann::json flickering = nlohmann::json::array();
        for (int d = 0; d < digits->Count(); ++d) {
            segments.push_back(core::ToHexByte(digits->Visible(d, now)));
            flickering.push_back(digits->Flickering(d, now));
        }
        j["digits"] = {
            {"text", digits->Text(now)}, {"segments", segments}, {"flickering", flickering}};
    }
    if (const Hd44780* lcd = board.Lcd()) {
        const auto lines = lcd->Lines();
        j["lcd"] = {
            {"on", lcd->DisplayOn()},
            {"lines", {lines[0], lines[1]}},
            {"cursor", {lcd->CursorLine(), lcd->CursorColumn()}},
            {"problems", std::vector<std::string>(lcd->Problems().begin(), lcd->Problems().end())}};
    }
    if (const Buzzer* buzzer = board.BuzzerDevice()) j["buzzerHz"] = buzzer->FrequencyHz(now);
    if (terminal) {
        nlohmann::json serial = {{"text", terminal->Text()},
                                 {"hex", terminal->Hex()},
                                 {"bytes", terminal->TransmittedCount()},
                                 {"warning", terminal->BaudWarning()}};
        serial["programBaud"] =
            terminal->ProgramBaud() ? nlohmann::json(*terminal->ProgramBaud()) : nlohmann::json();
        j["serial"] = std::move(serial);
    }
    return j;
}

}  // namespace zelo::board
