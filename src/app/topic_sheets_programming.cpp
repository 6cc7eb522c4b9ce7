// Reference sheets about memory and writing programs: memory map,
// addressing modes, program flow, numbers, source syntax, instructions that
// do not exist, comparisons with CJNE and the pseudo codes.
#include "app/topic_sheet_texts.h"

namespace zelo::app::sheets {

namespace {

// The sheets are laid out character by character: keep every line whole.
// clang-format off
constexpr std::string_view kMemory[] = {
    "ZELO8051  Memory",
    "Code memory (ROM): up to 64K bytes 0000H-FFFFH, read by MOVC; on chip: 8051 4K, 8052 8K, 89C1051/2051/4051 1K/2K/4K",
    "External data memory: up to 64K bytes 0000H-FFFFH, reached only by MOVX (@DPTR, @R0, @R1); the 89Cx051 has no external bus",
    "Internal memory (IM):",
    "  00H-1FH  Register banks 0-3, eight bytes R0-R7 each; the bank in use is chosen by RS1, RS0 (PSW.4, PSW.3)",
    "  20H-2FH  Bit-addressable area: 16 bytes = 128 bits with the bit addresses 00H-7FH (20H.0 = 00H ... 2FH.7 = 7FH)",
    "  30H-7FH  General purpose RAM (scratch pad); the stack is usually placed here",
    "  80H-FFH  8052 only: 128 more bytes of RAM, reached only indirectly (@R0, @R1, PUSH, POP)",
    "Special function registers (SFR): direct addresses 80H-FFH",
    "  An SFR whose address ends in 0H or 8H is bit-addressable (bit addresses 80H-FFH)",
    "  P0 80H  SP 81H  DPL 82H  DPH 83H  PCON 87H  TCON 88H  TMOD 89H  TL0 8AH  TL1 8BH  TH0 8CH  TH1 8DH",
    "  P1 90H  SCON 98H  SBUF 99H  P2 A0H  IE A8H  P3 B0H  IP B8H  PSW D0H  ACC E0H  B F0H",
    "  8052: T2CON C8H  T2MOD C9H  RCAP2L CAH  RCAP2H CBH  TL2 CCH  TH2 CDH",
    "After reset SP = 07H, so the first PUSH writes 08H (bank 1): move the stack above the banks in use (MOV SP,#2FH).",
};

constexpr std::string_view kAddressingModes[] = {
    "ZELO8051  Addressing Modes",
    "  Mode                  Example             Note",
    "  Immediate             MOV  A,#20H         the constant 20H itself",
    "  Direct                MOV  A,30H          the byte at internal RAM address 30H",
    "  Direct (SFR)          MOV  A,P1           the register at SFR address 90H",
    "  Register              MOV  A,R0           R0 of the selected register bank",
    "  Register indirect     MOV  A,@R0          the internal RAM byte whose address is in R0 (or R1)",
    "  External indirect     MOVX A,@DPTR        external data memory at the address in DPTR",
    "  External indirect     MOVX A,@R1          external data memory at the address in R1 (high byte from P2)",
    "  Indexed               MOVC A,@A+DPTR      code memory at DPTR + A (tables anywhere in 64K)",
    "  Indexed               MOVC A,@A+PC        code memory at A + the address of the next instruction",
    "  Relative              SJMP Loop           -128..+127 bytes from the next instruction",
    "  Absolute              AJMP Loop           11-bit address inside the current 2K page",
    "  Long                  LJMP Loop           16-bit address anywhere in 64K",
    "  Bit                   SETB P1.0           one bit (bit address 90H)",
    "  Implied               RL   A / MUL AB     the operand is part of the opcode",
};

constexpr std::string_view kFlow[] = {
    "  Type                       Example              Note",
    "Conditional Branching        JB 24H, Hi           IF  THEN   (jump when bit 24H = 1)",
    "                             JZ Zero              IF A = 0 THEN",
    "                             CJNE A,#10,Other     IF A <> 10 THEN",
    "Unconditional Branching      SJMP Loop            GOTO   (also AJMP, LJMP, JMP @A+DPTR)",
    "Loop                         DJNZ R7,Loop         FOR R7 = n TO 1 ... NEXT  (R7 = 0 first: 256 times)",
    "Subroutine                   LCALL Delay          GOSUB ... RETURN: the subroutine ends with RET",
    "                             ACALL Delay          the same within the 2K page",
    "Interrupt                    (by hardware)        a call to the vector address; the handler ends with RETI",
    "Case (jump table)            JMP @A+DPTR          ON A GOTO: DPTR = table of AJMPs, A = 2 x case",
};

constexpr std::string_view kNumbers[] = {
    "Decimal:      digits 0-9                   MOV  A,#100          100 = 64H",
    "Hexadecimal:  digits 0-9, A-F + H          MOV  A,#3FH          a byte: two digits; one leading 0 allowed (#0FFH)",
    "                                           MOV  DPTR,#1234H     a word: four digits",
    "Binary:       digits 0-1 + B               MOV  A,#01010101B    = 55H",
    "Octal:        digits 0-7 + Q or O          MOV  A,#177Q         = 7FH",
    "Character:    one character in quotes      MOV  A,#'A'          = 41H, its ASCII code; a blank is #' '",
    "Symbol:       a name made by EQU           MOV  A,#Count        Count EQU 20",
    "The suffix letter may be upper or lower case (3Fh, 1010b).",
    "",
    "Expressions after #:",
    "  a + b   a - b   a * b   a / b   a .MOD. b     MOV  A,#10/3      = 03 (the quotient is truncated)",
    "  a - b / c and a - b .MOD. c are worked out as (a - b) / c and (a - b) .MOD. c",
    "  Terms are decimal numbers or names; a hexadecimal number cannot be a term of an expression.",
    "Byte selection:",
    "  #<value   low byte  (value .MOD. 256)     MOV  TL0,#<(65536-50000)    = B0H",
    "  #>value   high byte (value / 256)         MOV  TH0,#>(65536-50000)    = 3CH",
    "Bit selection:  byte.bit                   SETB P1.0    CLR 20H.3    MOV C,ACC.7",
    "",
    "Ranges:  byte 0-255 (00H-FFH)   word 0-65535 (0000H-FFFFH)   bit number 0-7",
    "The converter (Con) shows a number typed in Bin, Oct, Dec or Hex in the other three bases.",
};

constexpr std::string_view kSyntax[] = {
    "Label       :A user-assigned symbol naming the address of its line; it must start in column 1.",
    "             A trailing ':' is allowed (Loop: and Loop are the same label). Labels starting with $",
    "             are local to the section between two ordinary labels ($1, $2 ...).",
    "Instruction :The mnemonic (MOV, ADD, SJMP ...) or a pseudo code (ORG, EQU, DB ...);",
    "             a line without a label must start with a blank or a TAB.",
    "Operands    :Up to three, separated by commas: destination first, then source (MOV A,R0: R0 -> A).",
    "Comment     :Everything after ';' up to the end of the line; a ';' in column 1 makes the whole line a comment.",
    "",
    "Fields      Label      Instruction   Operands          Comment",
    "            Start:     MOV           A,#25H            ; A = 25H",
    "                       ADD           A,R0              ; A = A + R0",
    "            Loop:      DJNZ          R7,Loop           ; repeat until R7 = 0",
    "",
    "Names, mnemonics and numbers may be written in upper or lower case.",
    "INCLUDE <REG.H> in column 1 reads a header from the folder 8051.LIB; END ends the source.",
    "A ';' inside quotes also starts the comment: write #3BH instead of #';'.",
};

constexpr std::string_view kInvalidInstructions[] = {
    "Invalid Instruction",
    "MOV  R1,R2          ; no register-to-register move: MOV A,R2 then MOV R1,A",
    "MOV  @R0, @R1       ; no indirect-to-indirect move: MOV A,@R1 then MOV @R0,A",
    "MOV  R0,@R1         ; a register and an indirect operand never meet: MOV A,@R1 then MOV R0,A",
    "ADD  B,#10          ; ADD, ADDC and SUBB leave their result in A only",
    "SUB  A,#1           ; there is no SUB: CLR C then SUBB A,#1",
    "CLR  R0             ; CLR works on A and on bits only: MOV R0,#0",
    "DEC  DPTR           ; there is INC DPTR but no DEC DPTR",
    "MOVC A,@DPTR        ; code memory is read only as @A+DPTR or @A+PC",
};

constexpr std::string_view kComparisons[] = {
    "CJNE  Parameter1, Parameter2, Branch",
    "Compares Parameter1 with Parameter2 as unsigned numbers and jumps to Branch when they are not equal.",
    "Neither parameter changes; only the carry is set: C = 1 when Parameter1 < Parameter2, otherwise C = 0.",
    "Forms:  CJNE A,#data,rel   CJNE A,direct,rel   CJNE Rn,#data,rel   CJNE @Ri,#data,rel",
    "",
    "  Parameter1 = Parameter2  :  no jump,  C = 0",
    "  Parameter1 > Parameter2  :  jump,     C = 0",
    "  Parameter1 < Parameter2  :  jump,     C = 1",
    "",
    "Example: compare A with 50",
    "        CJNE  A,#50,NotEq     ; A <> 50 ?",
    "        SJMP  Equal           ; A = 50",
    "NotEq:  JC    Less            ; C = 1 : A < 50",
    "        SJMP  Greater         ; C = 0 : A > 50",
    "A >= 50:   CJNE A,#50,Next    Next: JNC AtLeast    (C = 0 when A = 50 or A > 50)",
    "A <  50:   CJNE A,#50,Next    Next: JC  Below      (C = 1 only when A < 50)",
};

constexpr std::string_view kPseudoCodes[] = {
    " Pseudo Code           Example",
    " REG                   bit1   REG 20H.1",
    " REG                   Count  REG 30H",
    " BIT                   Led    BIT P1.0",
    " EQU                   Max    EQU 100",
    " CON                   Ten    CON 10",
    " SFR                   AUXR1  SFR A2H",
    " ORG                          ORG 0030H",
    " DB                    Text   DB 'Hello',0DH,0AH",
    " DW                    Table  DW 1234H",
    " INCLUDE               INCLUDE <REG.H>",
    " END                          END",
    " .GLOBAL               .GLOBAL Delay",
    " .EXTERN               .EXTERN Delay",
    "",
    "REG, BIT, EQU, CON and SFR make no code: they give a name to a bit, a byte address or a number.",
    "ORG sets the address of the code that follows; DB and DW place bytes and words into the code memory.",
    "INCLUDE reads a header (.H) from 8051.LIB; .EXTERN links a module whose listing (.lst) lies in 8051.LIB",
    "and whose exported names are marked with .GLOBAL; END ends the source: later lines are not assembled.",
};

// clang-format on

}  // namespace

Sheet Memory()
{
    return kMemory;
}
Sheet AddressingModes()
{
    return kAddressingModes;
}
Sheet Flow()
{
    return kFlow;
}
Sheet Numbers()
{
    return kNumbers;
}
Sheet Syntax()
{
    return kSyntax;
}
Sheet InvalidInstructions()
{
    return kInvalidInstructions;
}
Sheet Comparisons()
{
    return kComparisons;
}
Sheet PseudoCodes()
{
    return kPseudoCodes;
}

}  // namespace zelo::app::sheets
