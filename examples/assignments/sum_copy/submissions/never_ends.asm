; Sum and copy, but the loop jumps back before its counter is set.
        ORG   0
START:  MOV   R0,#30H
        MOV   DPTR,#0200H
        MOV   40H,#0
        MOV   41H,#0
NEXT:   MOV   A,@R0
        MOVX  @DPTR,A
        ADD   A,40H
        MOV   40H,A
        CLR   A
        ADDC  A,41H
        MOV   41H,A
        SJMP  START           ; wrong: starts over for ever
DONE:   SJMP  DONE
        END
