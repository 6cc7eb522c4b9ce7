#include "app/workbench_controls.h"

namespace zelo::app {

const char* ControlName(Control control)
{
    static constexpr std::array<const char*, kControlCount> kNames{
        "FileDemo",    "OpASM(0)",    "OpASM(1)", "OpASM(2)",   "OpASM(3)",    "OpASM(4)",
        "Converter",   "F8051",       "PictureVo", "HexFile",   "AsmFile",     "CodeList",
        "RamList",     "FrmOther",    "ASMSave",  "AsmSave1",   "AsmNextLine", "AsmAll",
        "AsmOpneFile", "StepOverCom", "StepOverList", "ReLoadCom", "LoadCode", "OneStep",
        "Run",         "RamOp",       "Chip",     "編輯ASM",    "編輯ASMList", "DisAssemble"};
    const auto index = static_cast<std::size_t>(control);
    return index < kControlCount ? kNames[index] : "";
}

}  // namespace zelo::app
