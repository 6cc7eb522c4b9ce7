; BUTTON_INT0 - a button on INT0 (P3.2) toggles the LED on P1.0
; Run with its input script: z51 run button_int0.hex --input button_int0.in
        ORG   0
        LJMP  MAIN
        ORG   03H             ; INT0 vector
X0ISR:  CPL   P1.0            ; the LED changes on every press
        INC   30H             ; presses counted
        RETI
        ORG   30H
MAIN:   MOV   30H,#0
        SETB  IT0             ; falling edge: one request per press
        SETB  EX0
        SETB  EA
IDLE:   SJMP  IDLE
        END
