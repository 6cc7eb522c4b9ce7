; BUTTONS_INT0 - presses of the button on P3.2 counted by the INT0
; interrupt and shown on the LEDs; the button on P3.3 is polled and lights
; LED 7 while it is held. Board "LEDs and switches": LEDs on P1 (a 0 lights
; an LED), buttons on P3.2-P3.5 (a pressed button holds its pin low).
        ORG   0
        LJMP  MAIN
        ORG   03H             ; INT0: the button on P3.2 was pressed
        INC   30H
        RETI
        ORG   30H
MAIN:   MOV   30H,#0
        SETB  IT0             ; INT0 on the falling edge: once per press
        SETB  EX0
        SETB  EA
LOOP:   MOV   A,30H
        ANL   A,#7FH          ; the count on LEDs 0-6
        JB    P3.3,SHOW       ; P3.3 high: its button is up
        ORL   A,#80H          ; held: LED 7 as well
SHOW:   CPL   A               ; a lit LED is a 0
        MOV   P1,A
        SJMP  LOOP
        END
