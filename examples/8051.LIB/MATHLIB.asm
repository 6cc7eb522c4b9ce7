; MATHLIB - a module for .EXTERN: only relative jumps inside, so it runs
; wherever it is linked.
.GLOBAL TO_BCD
.GLOBAL DELAY_MS
TO_BCD:                         ; A (0..99) -> packed BCD in A
        MOV   B,#10
        DIV   AB
        SWAP  A
        ORL   A,B
        RET
DELAY_MS:                       ; R7 milliseconds at 12 MHz
$1:     MOV   R6,#250
$2:     NOP
        NOP
        DJNZ  R6,$2
        DJNZ  R7,$1
        RET
        END
