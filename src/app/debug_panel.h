// The "Debug" panel's content: the registers in hex and decimal (changed
// ones marked), the breakpoints and watches, the calls in progress with the
// labels they return into, the inspector's caption in full, and why the
// last run stopped. Undefined values show as "xx".
#pragma once

#include <string>
#include <vector>

#include "core/simulator.h"
#include "loader/listing_map.h"

namespace zelo::app {

inline constexpr const char* kDebugCaption = "Debug";

struct DebugRow
{
    std::string text;
    bool changed = false;  // the value differs from the last time the panel was shown
};

struct DebugPanel
{
    std::vector<DebugRow> registers;       // PC, A, B, PSW (flags by name), SP, DPTR, R0-R7
    std::vector<std::string> breakpoints;  // "000EH WAIT"
    std::vector<std::string> watches;      // "30H=05H  (now 03H)"
    std::vector<std::string> calls;        // newest first: "0052H LOOP+7  <- SUB"
    std::string inspector;                 // the inspector's caption
    std::string stopMessage;               // why the last run stopped, "" when nothing special

    // The panel as lines of text (the screenshot and the tests read this).
    std::vector<std::string> Lines() const;
};

// " 0AH   10" for a byte, " xx    xx" when undefined.
std::string ByteHexDecimal(const std::string& hexText);

class DebugPanelModel
{
public:
    // Rebuilds the panel; a register is marked changed when its value text
    // differs from the previous Update.
    void Update(const core::Simulator& sim, const loader::ListingMap& listing,
                const std::string& inspectorCaption);
    void SetStopMessage(std::string message) { m_panel.stopMessage = std::move(message); }
    void SetInspector(std::string caption) { m_panel.inspector = std::move(caption); }
    // Forgets the previous values (after a load: nothing counts as changed).
    void Forget() { m_previous.clear(); }
    const DebugPanel& Panel() const { return m_panel; }

private:
    DebugPanel m_panel;
    std::vector<std::string> m_previous;  // the value texts of the last Update
};

}  // namespace zelo::app
