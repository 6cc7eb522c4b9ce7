; TIMER0_INTERRUPT - timer 0 in mode 2 counts overflows in 30H
        ORG   0
        LJMP  MAIN
        ORG   0BH             ; timer 0 interrupt vector
T0ISR:  INC   30H
        RETI
        ORG   30H
MAIN:   MOV   30H,#0
        MOV   TMOD,#02H       ; timer 0, mode 2 (8-bit auto reload)
        MOV   TH0,#0F0H       ; overflow every 16 cycles
        MOV   TL0,#0F0H
        SETB  ET0
        SETB  EA
        SETB  TR0
IDLE:   SJMP  IDLE
        END
