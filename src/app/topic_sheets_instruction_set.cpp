// Reference sheets about the instruction set: flags, operand symbols, timer
// and serial modes, interrupt vectors and the kinds of code bytes.
#include "app/topic_sheet_texts.h"

namespace zelo::app::sheets {

namespace {

// The sheets are laid out character by character: keep every line whole.
// clang-format off
constexpr std::string_view kFlags[] = {
    "ZELO8051  Instruction that Affect Flag Settings",
    "Instrction:    Carry   OverFlow   AuxCarry           Instruction : Parity",
    "ADD              x        x          x               ADD, ADDC, SUBB",
    "ADDC             x        x          x               INC A, DEC A",
    "SUBB             x        x          x               MUL AB, DIV AB, DA A",
    "MUL              0        x                          ANL A, ORL A, XRL A",
    "DIV              0        x                          CLR A, CPL A",
    "DA A             x                                   RL A, RR A, RLC A, RRC A",
    "RRC A, RLC A     x                                   SWAP A, XCH A, XCHD A",
    "SETB C           1                                   MOV A, MOVC A, MOVX A",
    "CLR C            0                                   POP ACC, any write to ACC",
    "CPL C            x",
    "ANL C,bit        x                                   P = 1 when A holds an odd",
    "ANL C,/bit       x                                   number of 1 bits.",
    "ORL C,bit        x",
    "ORL C,/bit       x                                   x     : set or cleared by the result",
    "MOV C,bit        x                                   0 / 1 : always cleared / set",
    "CJNE             x                                   blank : not affected",
};

constexpr std::string_view kSymbols[] = {
    "ZELO8051  The Symbols For the Instruction Set",
    "",
    "    Rn : Register R7-R0 of the currently selected Register Bank",
    "    direct : 8-bit address of an internal RAM location (00H-7FH) or of an SFR (80H-FFH)",
    "    @Ri : 8-bit internal RAM location addressed indirectly through register R1 or R0",
    "    #data : 8-bit constant included in the instruction",
    "    #data16 : 16-bit constant included in the instruction (MOV DPTR,#data16 only)",
    "    addr16 : 16-bit destination address (LCALL, LJMP): anywhere in the 64K code memory",
    "    addr11 : 11-bit destination address (ACALL, AJMP): within the 2K page of the next instruction",
    "    rel : Signed 8-bit offset (-128..+127) from the address of the next instruction (SJMP, Jcc, DJNZ, CJNE)",
    "    bit : Direct bit address: bits 00H-7FH of RAM 20H-2FH, bits 80H-FFH of the SFRs ending in 0H or 8H",
    "    /bit : The complement of the bit is used; the bit itself is not changed (ANL C,/bit, ORL C,/bit)",
    "    A : Accumulator,  C : Carry flag (PSW.7),  DPTR : 16-bit Data Pointer,  AB : register pair A and B",
};

constexpr std::string_view kTimerModes[] = {
    "ZELO8051  Timer Modes",
    "TxM1 TxM0    Timer Mode     Description of Mode",
    " 0    0         0          13-bit Timer: THx counts 8 bits, the low 5 bits of TLx act as a divide-by-32 prescaler",
    " 0    1         1          16-bit Timer: THx and TLx together count 0000H-FFFFH, then TFx is set",
    " 1    0         2          8-bit Auto-Reload: TLx counts; at each overflow TFx is set and TLx is reloaded from THx",
    " 1    1         3          Split Timer mode: TL0 (TR0, TF0) and TH0 (TR1, TF1) are two 8-bit timers; Timer 1 stops",
    "",
    "A timer counts one step per machine cycle (12 oscillator periods) when C/T = 0:",
    "  Crystal 11.0592 MHz:  11,059,200 / 12 = 921,600 times per second  (one count = 1.085 us)",
    "  Mode 1 overflows after at most 65,536 counts = 71.1 ms;  50 ms = 46,080 counts: TH:TL = 65,536 - 46,080 = 4C00H",
};

constexpr std::string_view kSerialModes[] = {
    "ZELO8051  Serial Modes",
    "SM0 SM1  Mode   Explanation            Baud Rate",
    " 0   0    0     8-bit Shift Register   Crystal / 12                  (11.0592 MHz: 921,600)",
    " 0   1    1     8-bit UART             set by Timer 1 overflows      (Timer 2 on the 8052 with RCLK/TCLK)",
    " 1   0    2     9-bit UART             Crystal / 64, PCON.7 = 1: / 32 (11.0592 MHz: 172,800 or 345,600)",
    " 1   1    3     9-bit UART             set by Timer 1 overflows      (Timer 2 on the 8052 with RCLK/TCLK)",
    "",
    "Modes 1 and 3 with Timer 1 in mode 2 (8-bit auto-reload, TMOD = 20H):",
    "  PCON.7 (SMOD) = 0 :  TH1 = 256 - ((Crystal / 384) / Baud)",
    "  PCON.7 (SMOD) = 1 :  TH1 = 256 - ((Crystal / 192) / Baud)",
    "  Baud = (2^SMOD / 32) x (Crystal / 12) / (256 - TH1)",
    "",
    "Example: Crystal = 11.0592 MHz, 9600 baud, SMOD = 0:",
    "  TH1 = 256 - ((11,059,200 / 384) / 9600) = 256 - (28,800 / 9600) = 256 - 3 = 253 (FDH)",
    "  MOV TMOD,#20H   MOV TH1,#253   MOV TL1,#253   SETB TR1   MOV SCON,#50H",
};

constexpr std::string_view kInterruptAddresses[] = {
    "ZELO8051  Interrupt Flag Interrupt Handler Address",
    "Interrupt        Flag        Handler Address    Natural Priority",
    "External0        IE0             0003h          1 (highest)",
    "Timer0           TF0             000Bh          2",
    "External1        IE1             0013h          3",
    "Timer1           TF1             001Bh          4",
    "Serial           RI/TI           0023h          5",
    "Timer2 (8052)    TF2/EXF2        002Bh          6 (lowest)",
    "IE0/IE1 (edge-triggered) and TF0/TF1 are cleared when the handler is entered; RI, TI, TF2 and EXF2 are not.",
    "",
    "Priority rules (IP: 1 = high level, 0 = low level):",
    "1. A high-level interrupt can interrupt a low-level handler; a low-level one never interrupts a high one.",
    "2. A handler cannot be interrupted by another interrupt of the same level.",
    "3. Requests of the same level that are pending together are served in the natural priority order above.",
    "4. After RETI, or after any write to IE or IP, one more instruction is executed before a new interrupt is entered.",
    "",
    "ALWAYS PROTECT THE REGISTERS.",
    "A handler must leave every register as it found it: save what it uses with PUSH at its start",
    "and restore it with POP in the reverse order before RETI. The five registers to save:",
    "    PSW, ACC, B, DPH, DPL      (R0-R7: switch to a register bank of their own with RS1/RS0)",
    "    PUSH PSW  PUSH ACC  PUSH B  PUSH DPH  PUSH DPL  ...  POP DPL  POP DPH  POP B  POP ACC  POP PSW  RETI",
};

constexpr std::string_view kCodeKinds[] = {
    "ZELO8051  Eight Kinds of Code in the Rom(Code Memory)",
    "Every byte of the code memory is a code; its kind depends on how the CPU uses it:",
    "  OpCode     : first byte of an instruction, selects the operation (00H-FFH; A5H is undefined)",
    "  IMCode     : address of an internal RAM byte (00H-7FH) used as a direct operand",
    "  SFRCode    : address of a special function register (80H-FFH) used as a direct operand",
    "  IMBitCode  : bit address 00H-7FH, one of the 128 bits of RAM 20H-2FH",
    "  SFRBitCode : bit address 80H-FFH, one bit of an SFR whose address ends in 0H or 8H",
    "  NumCode    : immediate number (#data, #data16) used as a value",
    "  AsciiCode  : character code 00H-7FH stored as data (DB 'A' gives 41H)",
    "  AddCode    : address part of a jump or call: addr16, addr11 or a relative offset",
    "Example: 75 90 55   MOV P1,#55H  =  OpCode 75H, SFRCode 90H, NumCode 55H",
};

// clang-format on

}  // namespace

Sheet Flags()
{
    return kFlags;
}
Sheet Symbols()
{
    return kSymbols;
}
Sheet TimerModes()
{
    return kTimerModes;
}
Sheet SerialModes()
{
    return kSerialModes;
}
Sheet InterruptAddresses()
{
    return kInterruptAddresses;
}
Sheet CodeKinds()
{
    return kCodeKinds;
}

}  // namespace zelo::app::sheets
