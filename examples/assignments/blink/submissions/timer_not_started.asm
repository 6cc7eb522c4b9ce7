; Blink P1.0 with the Timer 0 interrupt, but the timer is never started.
        ORG   0
        LJMP  MAIN
        ORG   0BH
T0ISR:  MOV   TH0,#4CH
        MOV   TL0,#00H
        CPL   P1.0
        RETI
        ORG   30H
MAIN:   MOV   TMOD,#01H
        MOV   TH0,#4CH
        MOV   TL0,#00H
        SETB  ET0
        SETB  EA              ; TR0 is never set
IDLE:   SJMP  IDLE
        END
