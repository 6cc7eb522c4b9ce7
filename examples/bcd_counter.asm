; BCD_COUNTER - count in packed BCD with ADD and DA
        ORG   0
START:  MOV   30H,#0
        MOV   R7,#12          ; count twelve times
COUNT:  MOV   A,30H
        ADD   A,#1
        DA    A               ; keep A in BCD
        MOV   30H,A
        DJNZ  R7,COUNT
DONE:   SJMP  DONE
        END
