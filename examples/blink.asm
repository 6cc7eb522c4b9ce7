; BLINK.ASM - toggles P1.0 with a delay loop between the changes.
; Assemble it (AsmAll), switch to "Simulate" and step or run it.
        ORG 0
START:  MOV SP,#60H
        MOV P1,#0FFH
AGAIN:  CPL P1.0
        ACALL DELAY
        SJMP AGAIN

; DELAY: about 3 x 10 machine cycles, using R7.
DELAY:  MOV R7,#10
WAIT:   DJNZ R7,WAIT
        RET
        END
