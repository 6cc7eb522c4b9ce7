; LOCAL_LABELS - "$" labels belong to the section of the last ordinary label
        ORG   0
START:  MOV   A,#0AAH
        ACALL FILL
        ACALL CLEAR
DONE:   SJMP  DONE
FILL:   MOV   R0,#30H         ; 30H..37H = A
        MOV   R2,#8
$1:     MOV   @R0,A
        INC   R0
        DJNZ  R2,$1
        RET
CLEAR:  MOV   R0,#40H         ; 40H..43H = 0
        MOV   R2,#4
$1:     MOV   @R0,#0
        INC   R0
        DJNZ  R2,$1
        RET
        END
