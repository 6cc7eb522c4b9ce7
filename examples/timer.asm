; TIMER.ASM - timer 0 in mode 1 counts; the overflow interrupt counts in R5.
        ORG 0
        LJMP MAIN
        ORG 0BH
        INC R5
        RETI
        ORG 30H
MAIN:   MOV TMOD,#01H
        MOV TH0,#0FFH
        MOV TL0,#0F0H
        MOV R5,#0
        SETB ET0
        SETB EA
        SETB TR0
IDLE:   SJMP IDLE
        END
