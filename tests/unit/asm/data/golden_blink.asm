; Blink P1 with a counter
COUNT   EQU 10
CNT     SFR 30H
LED     BIT P1.0
        ORG 0
START:  MOV   CNT,#COUNT   ; load the counter
        LCALL DELAY
LOOP:   CPL   LED
        DJNZ  CNT,LOOP
        SJMP  START
        ORG 30H
DELAY:  MOV   R7,#200
$1:     DJNZ  R7,$1
        RET
TABLE:  DB    3FH,06H,"ab",0
VECS:   DW    START,DELAY
        MOV   A,#0FFH  
        END
