// The texts shown for what the loaders found: the HexFile and AsmFile
// captions after a HEX read, the record viewer's fields, the ROM rows, and
// why a disassembly was not written. The window and z51 both use them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/cpu_state.h"
#include "loader/disassemble_file.h"
#include "loader/intel_hex.h"

namespace zelo::app {

inline constexpr const char* kNoProgramCaption = "AsmFile : No file exist";
inline constexpr const char* kListingMissingCaption = "編輯ASMList : No file exist";

// The HexFile frame's caption after a read, a load or a viewer move; nothing
// when the frame keeps its caption.
std::optional<std::string> HexFileCaption(const loader::HexLoadResult& result);
// The AsmFile frame's caption after a simulation load; nothing when it stays.
std::optional<std::string> AsmFileCaptionAfterLoad(const loader::HexLoadResult& result);
// Why a load failed, in one line: the HexFile caption, else the AsmFile one.
std::string HexLoadFailure(const loader::HexLoadResult& result);

// The record viewer's box: ":  03  0000   00   020030   CB"; nothing for a
// line that is not a record.
std::optional<std::string> HexViewerText(const loader::HexViewerLine& line);

// The 256 rows of the ROM view: "0000  02 00 30 xx ..." for 0000H-0FFFH.
std::vector<std::string> RomRows(const core::CpuState& cpu);

// Why a disassembly was not written.
std::string DisassemblyFailure(const loader::DisassemblyFileResult& result);
// The text of one of the disassembler's notes.
std::string DisassemblyNoteText(loader::DisassemblyNote note);
// What a written disassembly has to say: the file's own note, then the
// disassembler's.
std::vector<std::string> DisassemblyNotes(const loader::DisassemblyFileResult& result);
// The AsmFile frame's caption after a disassembly; nothing when it stays.
std::optional<std::string> DisassemblyAsmFileCaption(const loader::DisassemblyFileResult& result);

}  // namespace zelo::app
