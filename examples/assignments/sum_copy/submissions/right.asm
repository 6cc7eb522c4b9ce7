; Sum of R7 bytes from 30H into 41H:40H, and a copy to external RAM 0200H.
        ORG   0
        MOV   R0,#30H
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
        INC   R0
        INC   DPTR
        DJNZ  R7,NEXT
DONE:   SJMP  DONE
        END
