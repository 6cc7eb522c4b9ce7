// Splitting one source line into label, mnemonic, operands and comment by
// the assembler's column rules: a label starts in column 1, a statement
// without a label starts with a blank or TAB; commas, blanks and TABs
// separate alike; the data list of DB/DW stays one field.
#pragma once

#include <string>
#include <string_view>

#include "asm/asm_types.h"

namespace zelo::assembler {

// Scans text into fields. endSeen is the END flag of the run: when set the
// line is neglected; an END line sets it (and is neglected itself).
LineFields ScanLine(std::string_view text, bool& endSeen);
// The same, written into f (whose strings are reused).
void ScanLineInto(std::string_view text, bool& endSeen, LineFields& f);
// The whole text becomes the comment of a neglected line.
void Neglect(LineFields& f, std::string_view text);

// Keeps only the text after the last blank or TAB (unless the field is the
// blank constant "#' '"), then drops a trailing carriage return.
void CleanField(std::string& field);

// Upper-cases ASCII letters outside single or double quotes, so character
// constants keep the case they were written in.
std::string UpperOutsideQuotes(std::string_view text);
// The same, written into out (whose storage is reused).
void AssignUpperOutsideQuotes(std::string_view text, std::string& out);

}  // namespace zelo::assembler
