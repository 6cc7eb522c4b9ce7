// The serial terminal beside the board: it shows what the program transmits
// (as text and as hex bytes), warns when its own baud rate differs from the
// program's, and turns a typed line (text or hex bytes, with the chosen line
// ending) into bytes waiting to be received by the program.
//
// The bytes to send wait in a queue; the serial receiver of the simulated
// chip takes them from there one character time apart.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelo::board {

enum class LineEnding { None, CR, LF, CRLF };

// A typed line turned into bytes, or what is wrong with it.
struct SendLine
{
    std::vector<uint8_t> bytes;
    std::string problem;  // empty when the line is good
};

// Text: the line's bytes as typed (UTF-8). Hex: bytes written as one or two
// hex digits each ("41 42 0D", "0x41", "41H"), separated by blanks or commas.
// The line ending is added after either.
SendLine ParseSendLine(std::string_view line, bool hex, LineEnding ending);

class SerialTerminal
{
public:
    static constexpr size_t kMaxShown = 64 * 1024;  // oldest bytes are dropped beyond this
    static constexpr int kDefaultBaud = 9600;

    void Reset();  // a new program: the transmitted stream and the queue are emptied

    int Baud() const { return m_baud; }
    void SetBaud(int baud) { m_baud = baud; }
    LineEnding Ending() const { return m_ending; }
    void SetEnding(LineEnding ending) { m_ending = ending; }

    // A byte the program transmitted at this baud rate (its serial mode's
    // rate when the byte left; 0 when unknown).
    void OnTransmit(uint8_t byte, double programBaud);
    const std::deque<uint8_t>& Transmitted() const { return m_shown; }
    uint64_t TransmittedCount() const { return m_count; }
    // The stream as text: printable ASCII as it is, CR LF, LF or a lone CR
    // start a new line, other bytes as "." so the text never lies about
    // what came.
    std::string Text() const;
    // The stream as hex bytes, sixteen to a line.
    std::string Hex() const;

    // The baud rate of the program's last transmission; nothing before one.
    std::optional<double> ProgramBaud() const { return m_programBaud; }
    // "" or the warning that the two rates differ by more than a receiver
    // tolerates (2 %).
    std::string BaudWarning() const;

    // Queues a typed line; the problem of a bad one, or "" when queued.
    std::string Send(std::string_view line, bool hex);
    // Bytes typed but not yet received by the program.
    const std::deque<uint8_t>& Pending() const { return m_pending; }
    std::optional<uint8_t> TakePending();

private:
    int m_baud = kDefaultBaud;
    LineEnding m_ending = LineEnding::CRLF;
    std::deque<uint8_t> m_shown;
    uint64_t m_count = 0;
    std::optional<double> m_programBaud;
    std::deque<uint8_t> m_pending;
};

}  // namespace zelo::board
