#include "run_board.h"

#include "board/board_report.h"
#include "board/board_wiring.h"

namespace zelo::tools {

std::optional<std::string> RunBoard::Open(const std::string& name,
                                          const std::filesystem::path& hexFolder,
                                          core::ChipModel chip)
{
    std::filesystem::path file(name);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        std::filesystem::path inFolder = hexFolder / "boards" / file;
        if (!inFolder.has_extension()) inFolder += ".json";
        if (std::filesystem::exists(inFolder, ec)) file = inFolder;
    }
    board::BoardRead read = board::ReadBoardFile(file, chip);
    if (read.wiring.Empty() && !read.problems.empty()) {
        std::string message;
        for (const std::string& p : read.problems) message += (message.empty() ? "" : "\n") + p;
        return message;
    }
    m_board = board::Board(std::move(read.wiring));
    m_problems = std::move(read.problems);
    return std::nullopt;
}

nlohmann::json RunBoard::Report() const
{
    return board::BoardReport(m_board, m_problems, &m_terminal);
}

std::string RunBoard::Text() const
{
    const nlohmann::json j = Report();
    std::string text = "board  " + j["name"].get<std::string>() + "\n";
    for (const auto& p : j["problems"]) text += "  " + p.get<std::string>() + "\n";
    if (j.contains("leds")) text += "leds   " + j["leds"].get<std::string>() + "\n";
    if (j.contains("digits")) text += "digits [" + j["digits"]["text"].get<std::string>() + "]\n";
    if (j.contains("lcd")) {
        text += "lcd    [" + j["lcd"]["lines"][0].get<std::string>() + "]\n";
        text += "       [" + j["lcd"]["lines"][1].get<std::string>() + "]\n";
    }
    if (j.contains("buzzerHz"))
        text += "buzzer " + std::to_string(j["buzzerHz"].get<int>()) + " Hz\n";
    const std::string serial = j["serial"]["text"].get<std::string>();
    if (!serial.empty()) text += "serial " + serial + (serial.back() == '\n' ? "" : "\n");
    return text;
}

}  // namespace zelo::tools
