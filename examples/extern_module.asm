; EXTERN_MODULE - routines linked from 8051.LIB\MATHLIB.lst
.EXTERN MATHLIB
        ORG   0
START:  MOV   A,#42
        LCALL TO_BCD          ; A = 42H
        MOV   30H,A
        MOV   R7,#2
        LCALL DELAY_MS
        MOV   31H,#1
DONE:   SJMP  DONE
        END
