; PULSE_WIDTH - timer 0 with GATE = 1 runs only while INT0 (P3.2) is high, so
; it measures the length of a high pulse in machine cycles (left in 31H:30H).
; Run with pulse_width.in (a pulse of 2000 machine cycles).
        ORG   0
MAIN:   MOV   TMOD,#09H       ; timer 0: GATE, mode 1 timer
        MOV   TL0,#0
        MOV   TH0,#0
        SETB  TR0
W1:     JNB   P3.2,W1         ; until the pulse begins
W2:     JB    P3.2,W2         ; until it ends
        CLR   TR0
        MOV   30H,TL0
        MOV   31H,TH0
DONE:   SJMP  DONE
        END
