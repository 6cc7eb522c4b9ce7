// Which controls of the workbench window are visible and enabled. The window
// renders these flags; the commands of the Workbench model set them.
#pragma once

#include <array>
#include <cstddef>

namespace zelo::app {

enum class Control : std::size_t {
    FileDemo, OpAsm0, OpAsm1, OpAsm2, OpAsm3, OpAsm4, Converter, F8051, PictureVo, HexFile, AsmFile,
    CodeList, RamList, FrmOther, AsmSaveAs, AsmSave1, AsmNextLine, AsmAll, AsmOpneFile, StepOverCom,
    StepOverList, ReLoadCom, LoadCode, OneStep, Run, RamOp, Chip, EditAsm, EditAsmList, DisAssemble,
    Count
};
inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::Count);

// The control's name in the window ("OpASM(3)", "ASMSave", "編輯ASM").
const char* ControlName(Control control);

inline Control FileTypeControl(int index) { return static_cast<Control>(static_cast<std::size_t>(Control::OpAsm0) + index); }

struct ControlStates {
    std::array<bool, kControlCount> visible{};
    std::array<bool, kControlCount> enabled{};

    ControlStates()
    {
        visible.fill(true);
        enabled.fill(true);
    }
    bool Visible(Control c) const { return visible[static_cast<std::size_t>(c)]; }
    bool Enabled(Control c) const { return enabled[static_cast<std::size_t>(c)]; }
    void Show(Control c) { visible[static_cast<std::size_t>(c)] = true; }
    void Hide(Control c) { visible[static_cast<std::size_t>(c)] = false; }
    void SetVisible(Control c, bool on) { visible[static_cast<std::size_t>(c)] = on; }
    void Enable(Control c, bool on = true) { enabled[static_cast<std::size_t>(c)] = on; }
};

}  // namespace zelo::app
