// Reference sheets about the control registers (PCON, TMOD, TCON, SCON, IE,
// IP) and example set-ups of the timers, serial port and interrupts.
#include "app/topic_sheet_texts.h"

namespace zelo::app::sheets {

namespace {

// The sheets are laid out character by character: keep every line whole.
// clang-format off
constexpr std::string_view kPcon[] = {
    "ZELO8051   PCON (SFRcode=87H    Bit Not Addressible)",
    "bit   Name     Explanation of Function",
    " 7    SMOD     Serial baud rate doubler: 1 = double baud rate in serial modes 1, 2 and 3",
    " 6    -        not used",
    " 5    -        not used",
    " 4    -        not used (POF, power-off flag, on some derivatives)",
    " 3    GF1      General purpose flag bit 1",
    " 2    GF0      General purpose flag bit 0",
    " 1    PD       Power Down: 1 = stop the oscillator; only a reset starts the chip again",
    " 0    IDL      Idle: 1 = stop the CPU; timers, serial port and interrupts keep running",
    "PCON is not bit-addressable: ORL PCON,#80H sets SMOD, ANL PCON,#7FH clears it.",
};

constexpr std::string_view kTmod[] = {
    "ZELO8051   TMOD (SFRcode=89H    Bit Not Addressible)",
    "bit   Name     Timer     Explanation of Function",
    " 7    GATE     Timer 1   1 = Timer 1 runs only while TR1 = 1 and pin INT1 (P3.3) is high; 0 = TR1 alone",
    " 6    C/T      Timer 1   1 = counts pulses on pin T1 (P3.5); 0 = counts machine cycles (timer)",
    " 5    M1       Timer 1   mode bit 1",
    " 4    M0       Timer 1   mode bit 0",
    " 3    GATE     Timer 0   1 = Timer 0 runs only while TR0 = 1 and pin INT0 (P3.2) is high; 0 = TR0 alone",
    " 2    C/T      Timer 0   1 = counts pulses on pin T0 (P3.4); 0 = counts machine cycles (timer)",
    " 1    M1       Timer 0   mode bit 1",
    " 0    M0       Timer 0   mode bit 0",
    "",
    " M1 M0   Mode",
    "  0  0    0    13-bit timer (THx 8 bits + low 5 bits of TLx)",
    "  0  1    1    16-bit timer (THx:TLx)",
    "  1  0    2    8-bit auto-reload (TLx counts, THx holds the reload value)",
    "  1  1    3    split mode: TL0 and TH0 are two 8-bit timers; Timer 1 stops",
    "",
    "TMOD is not bit-addressable: write it as a byte, e.g. MOV TMOD,#21H",
    "  21H = Timer 1 in mode 2 (baud rate generator) and Timer 0 in mode 1 (16-bit timer).",
};

constexpr std::string_view kTcon[] = {
    "ZELO8051   TCON",
    "Bit   Name    BitAddres    Explanation of Function                                         Timer",
    " 7    TF1       8FH        Timer 1 overflow flag; cleared when its handler is entered      Timer 1",
    " 6    TR1       8EH        Timer 1 run control: 1 = run, 0 = stop                          Timer 1",
    " 5    TF0       8DH        Timer 0 overflow flag; cleared when its handler is entered      Timer 0",
    " 4    TR0       8CH        Timer 0 run control: 1 = run, 0 = stop                          Timer 0",
    " 3    IE1       8BH        External interrupt 1 flag, set by INT1 (P3.3)                   INT1",
    " 2    IT1       8AH        INT1 type: 1 = falling edge, 0 = low level                      INT1",
    " 1    IE0       89H        External interrupt 0 flag, set by INT0 (P3.2)                   INT0",
    " 0    IT0       88H        INT0 type: 1 = falling edge, 0 = low level                      INT0",
    "TCON is bit-addressable (88H): SETB TR0 starts Timer 0, CLR TR0 stops it.",
};

constexpr std::string_view kScon[] = {
    "ZELO8051   SCON",
    "Bit   Name    BitAddres    Explanation of Function                                         Mode",
    " 7    SM0       9FH        Serial mode bit 0 (SM0 SM1 = 00, 01, 10, 11: mode 0-3)          0-3",
    " 6    SM1       9EH        Serial mode bit 1                                               0-3",
    " 5    SM2       9DH        Multiprocessor: RI only when the received 9th bit is 1          2, 3",
    " 4    REN       9CH        Receive enable: 1 = the serial port receives                    0-3",
    " 3    TB8       9BH        9th data bit to transmit                                        2, 3",
    " 2    RB8       9AH        9th data bit received (mode 1, SM2 = 0: the stop bit)           1-3",
    " 1    TI        99H        Transmit flag: set when a byte is sent; cleared by software     0-3",
    " 0    RI        98H        Receive flag: set when a byte arrives; cleared by software      0-3",
    "SCON is bit-addressable (98H): MOV SCON,#50H = mode 1 with receiving enabled (SM1 = 1, REN = 1).",
};

constexpr std::string_view kIe[] = {
    "ZELO8051   IE",
    "Bit   Name    BitAddres    Explanation of Function                                         Source",
    " 7    EA        AFH        Enable All: 0 = no interrupt; 1 = each source by its own bit    all",
    " 6    -         AEH        not used",
    " 5    ET2       ADH        Enable Timer 2 interrupt (TF2, EXF2)                            Timer 2 (8052)",
    " 4    ES        ACH        Enable serial port interrupt (RI, TI)                           Serial",
    " 3    ET1       ABH        Enable Timer 1 overflow interrupt (TF1)                         Timer 1",
    " 2    EX1       AAH        Enable external interrupt 1 (IE1)                               INT1 (P3.3)",
    " 1    ET0       A9H        Enable Timer 0 overflow interrupt (TF0)                         Timer 0",
    " 0    EX0       A8H        Enable external interrupt 0 (IE0)                               INT0 (P3.2)",
    "IE is bit-addressable (A8H): MOV IE,#82H (EA = 1, ET0 = 1) does what SETB ET0 and SETB EA do.",
};

constexpr std::string_view kIp[] = {
    "ZELO8051   IP",
    "Bit   Name    BitAddres    Explanation of Function                                         Source",
    " 7    -         BFH        not used",
    " 6    -         BEH        not used",
    " 5    PT2       BDH        Timer 2 interrupt priority                                      Timer 2 (8052)",
    " 4    PS        BCH        Serial port interrupt priority                                  Serial",
    " 3    PT1       BBH        Timer 1 interrupt priority                                      Timer 1",
    " 2    PX1       BAH        External interrupt 1 priority                                   INT1 (P3.3)",
    " 1    PT0       B9H        Timer 0 interrupt priority                                      Timer 0",
    " 0    PX0       B8H        External interrupt 0 priority                                   INT0 (P3.2)",
    "1 = high, 0 = low priority. IP is bit-addressable (B8H): SETB PT0 lets Timer 0 interrupt low-priority handlers.",
};

constexpr std::string_view kSpecialCommands[] = {
    "ZELO8051   Special-Command",
    "Mode0:  Timer 0 as a 13-bit timer (at most 8192 counts)",
    "Count EQU 6000                          ; 6000 machine cycles = 6.51 ms at 11.0592 MHz",
    "        MOV   TMOD,#00H                 ; Timer 0: GATE = 0, C/T = 0, mode 0",
    "        MOV   TH0,#(8192-Count)/32      ; upper 8 bits = 44H",
    "        MOV   TL0,#(8192-Count).MOD.32  ; lower 5 bits = 10H",
    "        SETB  TR0                       ; start Timer 0",
    "Mode1:  Timer 0 as a 16-bit timer (at most 65536 counts)",
    "        MOV   TMOD,#01H                 ; Timer 0 mode 1",
    "        MOV   TH0,#>(65536-Count)       ; = E8H",
    "        MOV   TL0,#<(65536-Count)       ; = 90H",
    "        SETB  TR0",
    "Wait:   JNB   TF0,Wait                  ; wait for the overflow",
    "        CLR   TR0                       ; stop the timer",
    "        CLR   TF0                       ; a polled flag must be cleared by software",
    "Mode2:  Timer 1 as 8-bit auto-reload: baud rate of the serial port",
    "        MOV   TMOD,#20H                 ; Timer 1 mode 2",
    "        MOV   TH1,#253                  ; 9600 baud at 11.0592 MHz, SMOD = 0",
    "        MOV   TL1,#253",
    "        SETB  TR1",
    "        MOV   SCON,#50H                 ; serial mode 1, receiving enabled",
    "Mode3:  MOV   TMOD,#03H                 ; Timer 0 split: TL0 uses TR0/TF0, TH0 uses TR1/TF1",
    "        SETB  TR0                       ; start TL0 (SETB TR1 starts TH0)",
};

constexpr std::string_view kInterruptExamples[] = {
    "ZELO8051   Interrupt ex.",
    "INT0:   external interrupt 0 on pin P3.2, handler at 0003H",
    "        Setb  IT0     ; TCON : IT0=1 ==> negative edge,  IT0=0 ==> low level",
    "        Setb  EX0     ; IE   : enable external interrupt 0",
    "        Setb  EA      ; IE   : enable all interrupts",
    "Timer0: Timer 0 overflow, handler at 000BH",
    "        Mov   TMOD,#01H  ; Timer 0 mode 1",
    "        Setb  ET0     ; IE   : enable the Timer 0 interrupt",
    "        Setb  EA",
    "        Setb  TR0     ; TCON : start Timer 0",
    "Serial: serial port, handler at 0023H; the handler itself must clear RI or TI",
    "        Setb  ES      ; IE   : enable the serial interrupt",
    "Vectors: ORG 0003H  LJMP Ext0  ...  ORG 000BH  LJMP Time0  ...  each handler ends with RETI",
};

// clang-format on

}  // namespace

Sheet Pcon()
{
    return kPcon;
}
Sheet Tmod()
{
    return kTmod;
}
Sheet Tcon()
{
    return kTcon;
}
Sheet Scon()
{
    return kScon;
}
Sheet Ie()
{
    return kIe;
}
Sheet Ip()
{
    return kIp;
}
Sheet SpecialCommands()
{
    return kSpecialCommands;
}
Sheet InterruptExamples()
{
    return kInterruptExamples;
}

}  // namespace zelo::app::sheets
