; Blink P1.0 every 50 ms with the Timer 0 interrupt (11.0592 MHz).
        ORG   0
        LJMP  MAIN
        ORG   0BH             ; Timer 0 vector
T0ISR:  MOV   TH0,#4CH        ; 65536 - 46080 = 4C00H
        MOV   TL0,#00H
        CPL   P1.0
        RETI
        ORG   30H
MAIN:   MOV   TMOD,#01H       ; Timer 0, mode 1 (16 bits)
        MOV   TH0,#4CH
        MOV   TL0,#00H
        SETB  ET0
        SETB  EA
        SETB  TR0
IDLE:   SJMP  IDLE
        END
