// Directives that make no instruction: EQU, CON, SFR, REG, BIT, ORG, DB,
// DW, .EXTERN and the bare hexadecimal byte.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "asm/assembly.h"
#include "asm/expression_evaluator.h"
#include "asm/source_file.h"
#include "asm/symbols.h"

namespace zelo::assembler {

bool IsSymbolDirective(std::string_view upperMnemonic);  // EQU CON SFR REG BIT

// A field 2 such as "3FH": treated as DB 3FH.
bool IsBareHexByte(std::string_view upperMnemonic);

// NAME EQU/CON/SFR/REG/BIT value: defines the symbol; the value is shown in
// the code-byte columns. Sets byte 0 to "??" and the message on failure.
void HandleSymbolDirective(LineDraft& line, const std::string& upperMnemonic, SymbolTable& symbols);

// ORG address: sets the location counter, or "??" when the operand is not
// an address 0 to FFFFH. The address is a number of any form or an
// expression of "$" and of the names given (symbols, labels above).
void HandleOrg(LineDraft& line, uint16_t& locationCounter, const NameValues& names = {});

// DB and DW: the data bytes of the line; DW items naming labels become
// "xx" "xx" with a pending word for Round 2.
void HandleData(LineDraft& line, bool words, const SymbolTable& symbols);

// Splits a DB/DW list at commas outside quotes.
std::vector<std::string> SplitDataItems(std::string_view list);

// .EXTERN NAME: the module's listing must be found by the resolver.
void HandleExtern(LineDraft& line, SymbolTable& symbols, const SourceResolver& resolver);

}  // namespace zelo::assembler
