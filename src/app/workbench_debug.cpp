// Debugging in "Simulate": the listing followed at PC, breakpoints, watches,
// step back, the "Debug" panel and the speed of displayed runs.
#include <algorithm>

#include "app/inspector.h"
#include "app/workbench.h"
#include "core/hex_text.h"
#include "core/text_file.h"
#include "loader/disassemble_file.h"

namespace zelo::app {

void Workbench::PrepareDebugging()
{
    const std::string name = m_codeName.empty() ? m_programName : m_codeName;
    m_listing = loader::ListingMap{};
    if (!name.empty()) {
        if (const auto text = core::ReadTextFile(WorkspaceFile(name + ".lst"))) {
            loader::ListingMap map(*text);
            if (map.MatchesCode(m_sim.Cpu())) m_listing = std::move(map);
        }
        // Code without a listing of its own (a HEX from elsewhere, or one
        // assembled again since) is followed in its disassembly.
        if (m_listing.Empty() && std::filesystem::exists(WorkspaceFile(name + ".hex"))) {
            const auto dis = loader::DisassembleFile(WorkspaceFile(name + ".hex"), m_chipModel);
            if (dis.ok) m_listing = loader::ListingMap(dis.listingText);
        }
    }
    if (name != m_debugProgram) {
        ApplyMarks(m_debugMarks.Load(name, m_workspace), m_sim);
        m_debugProgram = name;
    }
    m_debugPanel.Forget();
    m_debugPanel.SetStopMessage("");
    if (ShowsDebugListing()) SelectFileType(static_cast<int>(FileType::List));
    UpdateDebugView(nullptr);
}

std::optional<int> Workbench::ListingPcLine() const
{
    if (!ShowsDebugListing()) return std::nullopt;
    return m_listing.LineOfAddress(m_sim.ProgramCounter());
}

std::vector<int> Workbench::ListingBreakpointLines() const
{
    std::vector<int> lines;
    if (m_sim.Breakpoints().Empty()) return lines;
    for (int i = 0; i < static_cast<int>(m_listing.Lines().size()); ++i) {
        if (m_listing.IsCodeLine(i) && m_sim.Breakpoints().Has(*m_listing.AddressOfLine(i)))
            lines.push_back(i);
    }
    return lines;
}

void Workbench::ToggleBreakpointAtLine(int line)
{
    const auto address = m_listing.AddressOfLine(line);
    if (!address) return;
    m_sim.Breakpoints().Toggle(*address);
    SaveDebugMarks();
    UpdateDebugView(nullptr);
}

void Workbench::RemoveBreakpoint(int index)
{
    const auto addresses = m_sim.Breakpoints().Addresses();
    if (index < 0 || index >= static_cast<int>(addresses.size())) return;
    m_sim.Breakpoints().Set(addresses[static_cast<std::size_t>(index)], false);
    SaveDebugMarks();
    UpdateDebugView(nullptr);
}

void Workbench::RunToLine(int line)
{
    const auto address = m_listing.AddressOfLine(line);
    if (!address || m_sim.Running() || m_modeIsAssemble) return;
    m_sim.SetRunTo(*address);
    ClickRun();
}

void Workbench::StepBack()
{
    if (m_sim.Running() || !m_sim.StepBack()) return;
    m_accessory.PortsChanged(m_sim);
    ShowCounters();
    m_texts.hexBox.clear();
    m_texts.hexText = WithListingText(m_sim.TraceLine(), m_sim.ProgramCounter());
    UpdateMarks();
    RefreshStateView();
    if (m_fileType == FileType::Ram) m_ramListRows = RamDumpRows();
    UpdatePins();
    m_texts.listBox = m_sim.Cpu().simulationLog.Text();
    m_debugPanel.SetStopMessage("Back: step " + std::to_string(m_sim.StepCounter() + 1) +
                                " undone");
    UpdateDebugView(nullptr);
}

bool Workbench::WatchCellAt(double x, double y)
{
    const PictureLayout layout = m_picture.Layout();
    const auto cell = HitGridCell(x, y);
    if (!cell) return false;
    core::Watch watch;
    if (layout == PictureLayout::RamBit || layout == PictureLayout::RamName) {
        watch.address = static_cast<uint16_t>(*cell);
    } else if (layout == PictureLayout::BitName) {
        const core::BitAddress bit = core::BitAddressOfNumber(static_cast<uint8_t>(*cell));
        watch.address = bit.byte;
        watch.bit = static_cast<int8_t>(bit.bit);
    } else {
        return false;
    }
    if (!m_sim.AddWatch(watch)) return false;
    SaveDebugMarks();
    UpdateDebugView(nullptr);
    return true;
}

bool Workbench::AddWatch(const std::string& text)
{
    const auto watch = core::ParseWatch(text, &m_sim.Cpu());
    if (!watch || !m_sim.AddWatch(*watch)) return false;
    SaveDebugMarks();
    UpdateDebugView(nullptr);
    return true;
}

void Workbench::RemoveWatch(int index)
{
    if (index < 0) return;
    m_sim.RemoveWatch(static_cast<std::size_t>(index));
    SaveDebugMarks();
    UpdateDebugView(nullptr);
}

void Workbench::SetShowDebug(bool on)
{
    m_showDebug = on;
    if (on) UpdateDebugView(nullptr);
}

void Workbench::SetRunSpeed(int stepsPerSecond)
{
    m_runSpeed = std::clamp(stepsPerSecond, 0, 1000);
}

int Workbench::TimerIntervalMs() const
{
    if (m_runSpeed <= 0 || !m_sim.DisplayFlag()) return kFastestTimerMs;
    return std::max(kFastestTimerMs, 1000 / m_runSpeed);
}

std::string Workbench::WithListingText(const std::string& trace, uint16_t address) const
{
    const std::string text = m_listing.InstructionText(address);
    if (text.empty() || trace.empty()) return trace;
    std::string line = trace;
    if (line.size() < 40) line.append(40 - line.size(), ' ');
    return line + text;
}

std::vector<std::string> Workbench::RamDumpRows() const
{
    std::vector<std::string> rows = FillCodeDump(m_sim.Cpu());
    for (std::string& line : FillDataDump(m_sim.Cpu())) rows.push_back(std::move(line));
    return rows;
}

void Workbench::SaveDebugMarks()
{
    std::string error;
    if (!m_debugMarks.Save(m_debugProgram, MarksOf(m_sim), m_workspace, &error))
        m_texts.listBox = error;
}

std::string Workbench::StopMessage(const core::StepReport& report) const
{
    if (report.stopReason == core::StopReason::Break) {
        const std::string where = core::ToHexWord(report.stopAddress) + "H" +
                                  (m_listing.LabelAtOrBelow(report.stopAddress).empty()
                                       ? ""
                                       : " " + m_listing.Describe(report.stopAddress));
        return m_sim.Breakpoints().Has(report.stopAddress) ? "Stopped at breakpoint " + where
                                                           : "Stopped at the line run to: " + where;
    }
    if (report.stopReason == core::StopReason::Watch && report.watchIndex >= 0) {
        const auto& watch = m_sim.Watches().Watches()[static_cast<std::size_t>(report.watchIndex)];
        const uint16_t writer = m_sim.Current().address;
        return "Stopped by watch " + core::WatchText(watch) + ", written at " +
               core::ToHexWord(writer) + "H" +
               (m_listing.LabelAtOrBelow(writer).empty() ? "" : " " + m_listing.Describe(writer));
    }
    return "";
}

void Workbench::UpdateDebugView(const core::StepReport* report)
{
    if (report) {
        const std::string message = StopMessage(*report);
        if (!message.empty() || report->runEnded || report->executed)
            m_debugPanel.SetStopMessage(message);
        if (!message.empty())
            m_texts.listBox = message + (m_texts.listBox.empty() ? "" : "\r\n" + m_texts.listBox);
    }
    m_debugPanel.Update(m_sim, m_listing, m_texts.windowCaption);
}

}  // namespace zelo::app
