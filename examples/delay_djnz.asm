; DELAY_DJNZ - a software delay with two nested DJNZ loops
; 200 x 250 passes of the inner loop, then 30H is set to 1.
        ORG   0
START:  MOV   30H,#0
        MOV   R7,#200
OUTER:  MOV   R6,#250
INNER:  DJNZ  R6,INNER         ; 2 cycles x 250
        DJNZ  R7,OUTER
        MOV   30H,#1          ; delay is over
DONE:   SJMP  DONE
        END
