; Blink P1.0 with the Timer 0 interrupt, but every 32768 cycles (about 35.6 ms).
        ORG   0
        LJMP  MAIN
        ORG   0BH
T0ISR:  MOV   TH0,#80H        ; wrong reload value
        MOV   TL0,#00H
        CPL   P1.0
        RETI
        ORG   30H
MAIN:   MOV   TMOD,#01H
        MOV   TH0,#80H
        MOV   TL0,#00H
        SETB  ET0
        SETB  EA
        SETB  TR0
IDLE:   SJMP  IDLE
        END
