; Sum and copy, but the loop counts one byte too few.
        ORG   0
        MOV   R0,#30H
        MOV   DPTR,#0200H
        MOV   40H,#0
        MOV   41H,#0
        DEC   R7              ; wrong: the last byte is never added
NEXT:   MOV   A,@R0
        MOVX  @DPTR,A
        ADD   A,40H
        MOV   40H,A
        CLR   A
        ADDC  A,41H
        MOV   41H,A
        INC   R0
        INC   DPTR
        DJNZ  R7,NEXT
DONE:   SJMP  DONE
        END
