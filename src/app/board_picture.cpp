#include "app/board_picture.h"

#include <algorithm>

namespace zelo::app {

namespace {

constexpr int kMargin = 6;
constexpr int kCaption = 14;  // caption height above each group
constexpr int kGap = 14;      // between groups

class Flow
{
public:
    explicit Flow(int width) : m_width(width) {}

    // Places a group of the given size and returns its top-left corner
    // (below the caption).
    std::pair<int, int> Place(const std::string& caption, int w, int h, BoardPicture& picture)
    {
        if (m_x > kMargin && m_x + w > m_width - kMargin) {
            m_x = kMargin;
            m_y += m_rowHeight + kGap;
            m_rowHeight = 0;
        }
        picture.shapes.push_back({BoardPart::Caption, 0, m_x, m_y, w, kCaption, caption});
        const std::pair<int, int> at{m_x, m_y + kCaption};
        m_x += w + kGap;
        m_rowHeight = std::max(m_rowHeight, kCaption + h);
        picture.width = std::max(picture.width, m_x);
        picture.height = std::max(picture.height, m_y + m_rowHeight + kMargin);
        return at;
    }

private:
    int m_width;
    int m_x = kMargin, m_y = kMargin, m_rowHeight = 0;
};

void Row(BoardPicture& p, Flow& flow, const char* caption, BoardPart part,
         const std::vector<board::PinRef>& pins, int pitch, int w, int h)
{
    const int n = static_cast<int>(pins.size());
    const auto [x, y] = flow.Place(caption, n * pitch, h, p);
    for (int i = 0; i < n; ++i)
        p.shapes.push_back(
            {part, i, x + i * pitch, y, w, h, board::PinName(pins[static_cast<size_t>(i)])});
}

}  // namespace

BoardPicture LayOutBoard(const board::BoardWiring& wiring, int width)
{
    BoardPicture p;
    Flow flow(width);
    if (wiring.leds) Row(p, flow, "LEDs", BoardPart::Led, wiring.leds->pins, 20, 16, 16);
    if (wiring.switches) Row(p, flow, "Switches", BoardPart::Switch, wiring.switches->pins, 20, 14, 28);
    if (wiring.buttons) Row(p, flow, "Buttons", BoardPart::Button, wiring.buttons->pins, 28, 22, 22);
    if (wiring.digits) {
        const int n = wiring.digits->count;
        const auto [x, y] = flow.Place("7-segment", n * 26, 44, p);
        for (int d = 0; d < n; ++d)
            p.shapes.push_back({BoardPart::Digit, d, x + d * 26, y, 24, 44, ""});
    }
    if (wiring.keypad) {
        const auto [x, y] = flow.Place("Keypad", 4 * 24, 4 * 24, p);
        for (int k = 0; k < 16; ++k)
            p.shapes.push_back({BoardPart::Key, k, x + (k % 4) * 24, y + (k / 4) * 24, 22, 22,
                                std::string(1, wiring.keypad->labels[static_cast<size_t>(k)])});
    }
    if (wiring.lcd) {
        const auto [x, y] = flow.Place("LCD 16x2", 16 * 10 + 12, 2 * 18 + 12, p);
        p.shapes.push_back({BoardPart::Lcd, 0, x, y, 16 * 10 + 12, 2 * 18 + 12, ""});
    }
    if (wiring.buzzer) {
        const auto [x, y] = flow.Place("Buzzer", 80, 24, p);
        p.shapes.push_back({BoardPart::Buzzer, 0, x, y, 80, 24, board::PinName(wiring.buzzer->pin)});
    }
    return p;
}

std::optional<BoardShape> HitBoardInput(const BoardPicture& picture, int x, int y)
{
    for (const BoardShape& s : picture.shapes) {
        if (s.part != BoardPart::Switch && s.part != BoardPart::Button && s.part != BoardPart::Key)
            continue;
        if (x >= s.x && x < s.x + s.w && y >= s.y && y < s.y + s.h) return s;
    }
    return std::nullopt;
}

}  // namespace zelo::app
