; REGISTER_BANKS - the same R0 in each of the four banks
        ORG   0
START:  MOV   PSW,#00H        ; bank 0: R0 is 00H
        MOV   R0,#11H
        SETB  RS0             ; bank 1: R0 is 08H
        MOV   R0,#22H
        MOV   PSW,#10H        ; bank 2: R0 is 10H
        MOV   R0,#33H
        MOV   PSW,#18H        ; bank 3: R0 is 18H
        MOV   R0,#44H
        MOV   PSW,#00H
DONE:   SJMP  DONE
        END
