// The workbench window's state and commands, free of any GUI toolkit. The
// window (src/ui) renders what this model holds (captions, texts, which
// controls are visible or enabled, the state picture) and forwards every
// click to one of its commands.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/accessory_board.h"
#include "app/assembly_texts.h"
#include "app/load_texts.h"
#include "app/chip_pins.h"
#include "app/debug_marks.h"
#include "app/debug_panel.h"
#include "app/number_converter.h"
#include "app/state_picture.h"
#include "app/workbench_controls.h"
#include "asm/assembler_session.h"
#include "core/chip_model.h"
#include "core/cpu_state.h"
#include "core/simulator.h"
#include "loader/intel_hex.h"
#include "loader/listing_map.h"

namespace zelo::app {

// The file-type selector OpASM(0..4).
enum class FileType { Asm = 0, List = 1, Hex = 2, Rom = 3, Ram = 4 };
inline constexpr std::array<const char*, 5> kFileTypeCaptions{"ASM", "LIST", "HEX", "ROM", "RAM"};
inline constexpr std::array<const char*, 3> kChipCaptions{"8051", "8052", "89Cx051"};
inline constexpr std::array<const char*, 2> kModeCaptions{"Assemble", "Simulate"};

// What a click in the file list does.
enum class FileListMode { None = 0, LoadSource = 1, LoadHex = 2, Disassemble = 3 };

inline constexpr const char* kWindowCaption = "ZELO8051";
inline constexpr const char* kAccessoryHeader = "  Accessory Display";
inline constexpr const char* kRomHeader = "Addr  00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F (ROM)  ";
inline constexpr const char* kNoSourceFile = kNoProgramCaption;
inline constexpr const char* kSaveAsTitle = "Save File As...";
inline constexpr const char* kSaveAsPrompt = "Please Enter File Name";
inline constexpr const char* kHexFileCaption = "HexFile";

// Where each file-type option sits inside the FileType frame (twips). "RAM"
// keeps the place of "HEX" of the original layout; "HEX" takes the place of
// "ROM", which is never shown at the same time (Assemble shows HEX, Simulate
// ROM), so no two options shown together overlap.
struct FileTypePlace {
    int left, top;
};
inline constexpr std::array<FileTypePlace, 5> kFileTypePlaces{{{80, 240}, {80, 480}, {800, 480}, {800, 480}, {800, 240}}};
inline constexpr int kFileTypeOptionWidth = 720;
inline constexpr int kFileTypeOptionHeight = 240;

// What Simulate says when the source's last assembly failed.
std::string NoAssembledCodeMessage(const std::string& programName);

// Captions and texts of the window's controls, exactly as shown.
struct WindowTexts {
    std::string windowCaption = kWindowCaption;
    std::string runCaption = "RUN";
    std::string label1, label2;
    std::string asmFileCaption = "AsmFile";
    std::string hexFileCaption = "HexFile";
    std::string editor;       // 編輯ASM as displayed (source, listing or HEX text)
    bool editorReadOnly = false;
    std::string listBox;      // 編輯ASMList
    std::string asmText;      // AsmText: the line being assembled
    std::string parsecText;   // ParsecText: the assembler's trace
    std::string status;       // the message label
    std::string hexToLine = "PC:0000";
    std::string cycle = "Cycle:0";
    std::string stepVo = "Step:0";
    std::string hexBox, hexText;
    std::string textStop = "0";
};

// Result of a save command.
enum class SaveOutcome { Saved, NeedsName, Failed };

class Workbench {
public:
    explicit Workbench(std::filesystem::path workspace);

    // --- start-up and machine --------------------------------------------
    // The window-load sequence: flags, hidden panels, state picture, machine,
    // and the opcode list file written into the workspace.
    void StartUp();
    void InitialiseMachine();
    // 0 "8051", 1 "8052", 2 "89Cx051"; other indexes change nothing.
    void SelectChipModel(int index);
    // Click on Chip(index): stops a run and reinitialises the machine.
    void ClickChip(int index);

    // --- modes and selectors -----------------------------------------------
    // Option1(0) "Assemble", Option1(1) "Simulate".
    void SwitchMode(int index);
    // OpASM(index): what the lower region shows.
    void SelectFileType(int index);
    // RamOp(index): the state picture's layout.
    void SelectLayout(int index);
    void SetShowConverter(bool on);  // CheckConvter
    void SetShowPins(bool on);       // ChkLeg
    void SetPinLevelChoice(char level);
    void ToggleInspectOnHover();     // double click on PlotRam
    // Pointer movement over PlotRam, in picture coordinates: the inspector
    // describes the cell in the window caption; in "Note" the topic's sheet
    // is printed under the grid.
    void PointerMoved(double x, double y);
    // Mouse-down on the chip picture, in its twips: with PinLevelChoice "0"
    // a port pin is pulled low from outside, with "1" the pull is removed.
    void ClickPin(int xTwips, int yTwips);

    // --- the accessory board and terminal --------------------------------
    const AccessoryBoard& Accessory() const { return m_accessory; }
    void ChooseBoard(int index);
    void BoardButton(int index, bool pressed);
    void BoardSwitch(int index);
    void BoardKey(int row, int column, bool pressed);
    void SetTerminalBaud(int baud) { m_accessory.Terminal().SetBaud(baud); }
    void SetTerminalEnding(board::LineEnding ending) { m_accessory.Terminal().SetEnding(ending); }
    // Queues a typed line for the program; the problem of a bad line, or "".
    std::string TerminalSend(const std::string& line, bool hex);

    // --- file list -----------------------------------------------------------
    void AsmOpneFile();
    void LoadCode();
    void DisAssemble();
    // The file names the list shows: the workspace's files matching the
    // current pattern, sorted; no other folder is ever listed.
    std::vector<std::string> FileListEntries() const;
    // A click on a file of the list.
    void ClickFile(const std::string& name);
    // The user declined to drop edited source for another file: the list
    // closes and the commands it disabled come back.
    void CancelFileList();

    // --- source ---------------------------------------------------------------
    // A change of the source editor.
    void EditSource(const std::string& text);
    SaveOutcome AsmSave1();
    // Save under a new name (the answer of the save-as dialog).
    SaveOutcome ASMSave(const std::string& answer);
    // Loads NAME.asm of the workspace into the editor.
    bool LoadAsmFile(const std::string& name);

    // --- assembler -------------------------------------------------------------
    void AsmNextLine();
    void AsmAll();
    // The editor line (0-based) to select after a failed AsmAll, or none.
    std::optional<int> ProblemLine() const { return m_problemLine; }

    // --- simulation --------------------------------------------------------------
    void ClickRun();
    void OneStep();
    void StepOverCom();
    void StepOverListSelect(const std::vector<int>& rows);
    void ReLoadCom();
    void SetTextStop(const std::string& text) { m_texts.textStop = text; }
    // The HexToLine box: a number typed there moves the record viewer at the
    // next load.
    void SetHexToLine(const std::string& text) { m_texts.hexToLine = text; }
    // One Timer1 tick: one displayed step, or undisplayed steps in batches
    // until the budget of microseconds is spent, a step is to be shown or the
    // run stops. Returns the number of steps executed.
    int Timer1Tick(int budgetMicroseconds = kTickBudgetMicroseconds);
    static constexpr int kTickBudgetMicroseconds = 4000;
    // The most steps one OneStep runs in a stepped-over subroutine.
    static constexpr uint64_t kMaxSteppedOver = 10'000'000;

    // --- debugging -------------------------------------------------------------------
    // The listing the debugger follows: NAME.lst beside the loaded code when
    // it matches the code, otherwise the disassembly listing made on load.
    const loader::ListingMap& Listing() const { return m_listing; }
    // "Simulate" with "LIST" selected: the editor shows that listing.
    bool ShowsDebugListing() const { return !m_modeIsAssemble && m_fileType == FileType::List; }
    // The listing line of PC, and the lines with a breakpoint.
    std::optional<int> ListingPcLine() const;
    std::vector<int> ListingBreakpointLines() const;
    // A click in the listing's margin or F9 on a line: toggles the breakpoint
    // of the line's instruction (of the next one for a label or comment line).
    void ToggleBreakpointAtLine(int line);
    // "Run to line": runs and stops before the line's instruction (or an
    // earlier breakpoint or watch).
    void RunToLine(int line);
    // "Back" (Shift+F10): undoes the last step, again and again.
    void StepBack();
    bool CanStepBack() const { return !m_sim.Running() && m_sim.Journal().Depth() > 0; }
    // A right click on the state picture: a watch on the byte under the
    // pointer ("RamBit", "RamName") or the bit ("BitName").
    bool WatchCellAt(double x, double y);
    // A watch typed as text ("30H", "P1.0=1", "X:0100=5A"); false when not understood.
    bool AddWatch(const std::string& text);
    void RemoveWatch(int index);
    void RemoveBreakpoint(int index);
    // The "Debug" check box.
    void SetShowDebug(bool on);
    bool ShowDebug() const { return m_showDebug; }
    const DebugPanel& Debug() const { return m_debugPanel.Panel(); }
    // Displayed runs: steps per second, 0 for as fast as the display allows.
    void SetRunSpeed(int stepsPerSecond);
    int RunSpeed() const { return m_runSpeed; }
    // The interval of the window timer for the present run.
    int TimerIntervalMs() const;
    static constexpr int kFastestTimerMs = 5;

    // --- converter -------------------------------------------------------------------
    NumberConverter& Converter() { return m_converter; }

    // --- what the window renders ---------------------------------------------------------
    const ControlStates& Controls() const { return m_controls; }
    const WindowTexts& Texts() const { return m_texts; }
    const StatePicture& Picture() const { return m_picture; }
    const ChipDrawList& ChipPicture() const { return m_chipDraw; }
    const ChipPins& Pins() const { return m_chipPins; }
    const std::vector<std::string>& CodeListRows() const { return m_codeListRows; }
    const std::vector<std::string>& RamListRows() const { return m_ramListRows; }
    const std::vector<std::string>& StepOverRows() const { return m_stepOverRows; }
    const std::filesystem::path& WorkspaceFolder() const { return m_workspace; }
    std::string FileListFolder() const;
    const std::string& FileListPattern() const { return m_fileListPattern; }
    const core::CpuState& Cpu() const { return m_sim.Cpu(); }
    const core::Simulator& Simulator() const { return m_sim; }
    const assembler::AssemblerSession& Assembler() const { return m_asm; }
    bool NoInstructionYet() const { return m_marks.noInstructionYet; }
    bool HexFromProgram() const { return m_hexFromProgram; }
    const StateMarks& Marks() const { return m_marks; }

    // --- window-level variables ---------------------------------------------------------------
    core::ChipModel ChipModel() const { return m_chipModel; }
    // The source in the editor: its name is what Save, AsmAll and the
    // Assemble mode's headers use.
    const std::string& ProgramName() const { return m_programName; }
    // The code loaded for simulation: the HEX file chosen in the list, or
    // the source's own output. ReLoad reads it again.
    const std::string& CodeName() const { return m_codeName; }
    FileListMode ListMode() const { return m_fileListMode; }
    bool ProgramPending() const { return m_programPending; }
    bool SourceModified() const { return m_sourceModified; }
    bool StepOverReady() const { return m_stepOverReady; }
    bool AsmViewIsSource() const { return m_asmViewIsSource; }
    bool ModeIsAssemble() const { return m_modeIsAssemble; }
    bool RunningFlag() const { return m_sim.Running(); }
    bool InspectOnHover() const { return m_inspectOnHover; }
    char PinLevelChoice() const { return m_pinLevelChoice; }
    bool ShowPins() const { return m_showPins; }
    double MachineCycleTime() const { return m_machineCycleTime; }
    int SelectedChip() const { return m_selectedChip; }
    int SelectedMode() const { return m_modeIsAssemble ? 0 : 1; }
    FileType SelectedFileType() const { return m_fileType; }
    const std::string& SourceText() const { return m_sourceText; }
    const std::array<long, 256>& UsageCounters() const { return m_usage; }

private:
    void RefreshStateView();
    void PrepareDebugging();
    void SaveDebugMarks();
    void UpdateDebugView(const core::StepReport* report);
    std::string StopMessage(const core::StepReport& report) const;
    // A trace line followed by the instruction with its real operands, as
    // the listing writes it.
    std::string WithListingText(const std::string& trace, uint16_t address) const;
    // The "RAM" dump: code memory, then the upper and external RAM.
    std::vector<std::string> RamDumpRows() const;
    // Reads a source into the editor (opening and saving both end here).
    bool LoadSourceFile(const std::string& fileName);
    // Opens another source: as LoadSourceFile, and the previous source's
    // assembly reports are dropped.
    bool OpenSourceFile(const std::string& fileName);
    void EnableAfterRun();
    void ApplyStepReport(const core::StepReport& report);
    // As RunBatch, with the board stepped after every instruction.
    core::StepReport RunBatchWithBoard(int maxSteps);
    void AfterBoardInput();
    void UpdateMarks();
    void ShowCounters();
    // The load command: resets the chip and reads a HEX file (Simulate mode).
    void LoadProgram(const loader::HexFileChoice& choice);
    void AfterAssembly(const assembler::AsmStep& step);
    void LayOutPins();
    void UpdatePins();
    void Disassemble(const std::string& fileName);
    void SetRunControlsEnabled(bool on);
    void ShowFileList(FileListMode mode, const char* pattern);
    void LoadUsageCounters();
    void ShowFileTypeText(const std::string& name, const char* extension);
    // The name the LIST view shows: the loaded code's in Simulate, the
    // source's in Assemble.
    const std::string& ListingName() const;
    void EnableSourceCommands();
    StatePictureSources PictureSources() const;
    std::filesystem::path WorkspaceFile(const std::string& name) const { return m_workspace / name; }

    std::filesystem::path m_workspace;
    core::Simulator m_sim;
    assembler::AssemblerSession m_asm;
    AssemblerTexts m_asmTexts;
    loader::HexLoaderState m_hexState;
    bool m_hexFromProgram = false;
    StatePicture m_picture;
    StateMarks m_marks;
    ChipPins m_chipPins;
    AccessoryBoard m_accessory;
    ChipDrawList m_chipDraw;
    int m_shownTopicSheet = -1;
    NumberConverter m_converter;
    ControlStates m_controls;
    WindowTexts m_texts;

    core::ChipModel m_chipModel = core::ChipModel::C8051;
    int m_selectedChip = 0;
    std::string m_programName;
    std::string m_codeName;
    // The program whose HEX file Simulate loads when ProgramPending is set:
    // the source after a passing assembly, the loaded code after ReLoad.
    std::string m_pendingName;
    // The last assembly of the source in the editor failed: it has no code.
    bool m_assemblyFailed = false;
    FileListMode m_fileListMode = FileListMode::None;
    std::string m_fileListPattern;
    bool m_programPending = false;
    bool m_sourceModified = false;
    bool m_stepOverReady = false;
    bool m_asmViewIsSource = true;
    bool m_modeIsAssemble = true;
    bool m_inspectOnHover = true;
    char m_pinLevelChoice = '0';
    bool m_showPins = false;
    bool m_usageStatistics = true;
    double m_machineCycleTime = 12.0 * (1.0 / 11.0592);
    FileType m_fileType = FileType::Asm;

    std::string m_sourceText;
    std::optional<int> m_problemLine;
    std::vector<std::string> m_codeListRows;
    std::vector<std::string> m_ramListRows;
    std::vector<std::string> m_stepOverRows;
    std::array<long, 256> m_usage{};

    loader::ListingMap m_listing;
    DebugMarksStore m_debugMarks;
    std::string m_debugProgram;  // whose breakpoints and watches are set
    DebugPanelModel m_debugPanel;
    bool m_showDebug = false;
    int m_runSpeed = 0;
};

}  // namespace zelo::app
