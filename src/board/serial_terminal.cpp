#include "board/serial_terminal.h"

#include <cmath>
#include <cstdio>

#include "core/hex_text.h"

namespace zelo::board {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string RateText(double baud)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", baud);
    return text;
}

}  // namespace

SendLine ParseSendLine(std::string_view line, bool hex, LineEnding ending)
{
    SendLine out;
    if (!hex) {
        out.bytes.assign(line.begin(), line.end());
    } else {
        size_t i = 0;
        while (i < line.size()) {
            if (line[i] == ' ' || line[i] == ',' || line[i] == '\t') {
                ++i;
                continue;
            }
            size_t end = i;
            while (end < line.size() && line[end] != ' ' && line[end] != ',' && line[end] != '\t')
                ++end;
            std::string_view token = line.substr(i, end - i);
            i = end;
            std::string_view digits = token;
            if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
                digits.remove_prefix(2);
            else if (digits.size() > 1 && (digits.back() == 'H' || digits.back() == 'h'))
                digits.remove_suffix(1);
            int value = 0;
            bool good = !digits.empty() && digits.size() <= 2;
            for (char c : digits) {
                const int d = HexValue(c);
                good = good && d >= 0;
                value = 16 * value + (d < 0 ? 0 : d);
            }
            if (!good) {
                out.bytes.clear();
                out.problem = "\"" + std::string(token) + "\" is not a hex byte (00 to FF)";
                return out;
            }
            out.bytes.push_back(static_cast<uint8_t>(value));
        }
    }
    if (ending == LineEnding::CR || ending == LineEnding::CRLF) out.bytes.push_back('\r');
    if (ending == LineEnding::LF || ending == LineEnding::CRLF) out.bytes.push_back('\n');
    return out;
}

void SerialTerminal::Reset()
{
    m_shown.clear();
    m_count = 0;
    m_programBaud.reset();
    m_pending.clear();
}

void SerialTerminal::OnTransmit(uint8_t byte, double programBaud)
{
    if (m_shown.size() == kMaxShown) m_shown.pop_front();
    m_shown.push_back(byte);
    ++m_count;
    if (programBaud > 0) m_programBaud = programBaud;
}

std::string SerialTerminal::Text() const
{
    std::string text;
    text.reserve(m_shown.size());
    for (size_t i = 0; i < m_shown.size(); ++i) {
        const uint8_t b = m_shown[i];
        if (b == '\r') {
            const bool pairedWithLf = i + 1 < m_shown.size() && m_shown[i + 1] == '\n';
            if (!pairedWithLf) text += '\n';
        } else if (b == '\n') {
            text += '\n';
        } else {
            text += (b >= 0x20 && b < 0x7F) ? static_cast<char>(b) : '.';
        }
    }
    return text;
}

std::string SerialTerminal::Hex() const
{
    std::string text;
    text.reserve(m_shown.size() * 3);
    for (size_t i = 0; i < m_shown.size(); ++i) {
        text += core::ToHexByte(m_shown[i]);
        text += (i % 16 == 15 || i + 1 == m_shown.size()) ? '\n' : ' ';
    }
    return text;
}

std::string SerialTerminal::BaudWarning() const
{
    if (!m_programBaud || m_baud <= 0) return "";
    if (std::abs(*m_programBaud - m_baud) <= 0.02 * m_baud) return "";
    return "The program sends at " + RateText(*m_programBaud) + " baud; the terminal is set to " +
           std::to_string(m_baud) + " baud.";
}

std::string SerialTerminal::Send(std::string_view line, bool hex)
{
    SendLine parsed = ParseSendLine(line, hex, m_ending);
    if (!parsed.problem.empty()) return parsed.problem;
    m_pending.insert(m_pending.end(), parsed.bytes.begin(), parsed.bytes.end());
    return "";
}

std::optional<uint8_t> SerialTerminal::TakePending()
{
    if (m_pending.empty()) return std::nullopt;
    const uint8_t b = m_pending.front();
    m_pending.pop_front();
    return b;
}

}  // namespace zelo::board
