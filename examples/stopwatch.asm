; STOPWATCH - seconds and hundredths on the four 7-segment digits ("SS.hh"),
; counted by the timer 0 interrupt every 10 ms; the main loop only scans the
; digits. Board "Digits and keypad": segments on P0 (a 0 lights a segment),
; digit select on P2.0-P2.3 (a 0 selects, P2.0 is the leftmost digit).
        ORG   0
        LJMP  MAIN
        ORG   0BH             ; timer 0 overflow
        LJMP  TICK
        ORG   30H
MAIN:   MOV   SP,#60H
        MOV   30H,#0          ; seconds, packed BCD
        MOV   31H,#0          ; hundredths, packed BCD
        MOV   TMOD,#01H       ; timer 0, mode 1 (16 bits)
        MOV   TH0,#0DCH       ; 65536 - 9216 cycles: 10 ms at 11.0592 MHz
        MOV   TL0,#00H
        SETB  ET0
        SETB  EA
        SETB  TR0
LOOP:   ACALL SHOW
        SJMP  LOOP

; TICK - one hundredth of a second more
TICK:   PUSH  ACC
        PUSH  PSW
        MOV   TH0,#0DCH
        MOV   TL0,#00H
        MOV   A,31H
        ADD   A,#1
        DA    A
        MOV   31H,A
        JNZ   TICKED
        MOV   A,30H           ; 100 hundredths: one second
        ADD   A,#1
        DA    A
        MOV   30H,A
TICKED: POP   PSW
        POP   ACC
        RETI

; SHOW - the four digits one after another, each for about half a millisecond
SHOW:   MOV   A,30H
        SWAP  A
        MOV   R2,A            ; tens of seconds
        MOV   A,30H
        MOV   R3,A            ; seconds, with the point
        MOV   A,31H
        SWAP  A
        MOV   R4,A            ; tenths
        MOV   A,31H
        MOV   R5,A            ; hundredths
        MOV   A,R2
        MOV   R7,#0FEH
        ACALL DIGIT
        MOV   A,R3
        MOV   R7,#0FDH
        ACALL DIGIT
        MOV   A,R4
        MOV   R7,#0FBH
        ACALL DIGIT
        MOV   A,R5
        MOV   R7,#0F7H
        ACALL DIGIT
        RET
; DIGIT - shows the low nibble of A on the digit R7 selects; the second
; digit gets its decimal point
DIGIT:  ANL   A,#0FH
        MOV   DPTR,#SEGMENTS
        MOVC  A,@A+DPTR
        CJNE  R7,#0FDH,NOPOINT
        ANL   A,#7FH          ; point on: segment dp is P0.7
NOPOINT: MOV  P2,#0FFH
        MOV   P0,A
        MOV   P2,R7
        MOV   R6,#200
HOLD:   DJNZ  R6,HOLD
        RET
;         0    1    2    3    4   5   6   7    8   9
SEGMENTS: DB  0C0H,0F9H,0A4H,0B0H,99H,92H,82H,0F8H,80H,90H
        END
