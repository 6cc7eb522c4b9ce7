; KEYPAD_DIGITS - the keys typed on the 4x4 keypad come in from the right of
; the four 7-segment digits. Board "Digits and keypad": segments a-g and the
; point on P0.0-P0.7 (common anode: a 0 lights a segment), digit select on
; P2.0-P2.3 (a 0 selects, P2.0 is the leftmost digit), keypad rows on
; P1.0-P1.3 and columns on P1.4-P1.7 (a pressed key joins its row and column).
        ORG   0
MAIN:   MOV   SP,#60H
        MOV   30H,#10H        ; four blank digits (10H is the blank pattern)
        MOV   31H,#10H
        MOV   32H,#10H
        MOV   33H,#10H
        MOV   34H,#0FFH       ; no key held
LOOP:   ACALL SHOW
        ACALL SCAN            ; A = the key's value, FFH for none
        CJNE  A,34H,CHANGED
        SJMP  LOOP
CHANGED: MOV  34H,A
        CJNE  A,#0FFH,NEWKEY
        SJMP  LOOP            ; the key was let go
NEWKEY: MOV   30H,31H         ; move the digits one place left
        MOV   31H,32H
        MOV   32H,33H
        MOV   33H,A
        SJMP  LOOP

; SCAN - drives one row low at a time and reads the columns
SCAN:   MOV   R2,#0           ; row number
        MOV   R3,#0FEH        ; row 0 low, columns released high
NEXTROW: MOV  P1,R3
        MOV   A,P1
        ORL   A,#0FH
        CPL   A               ; columns held low by a key, as 1 bits
        JNZ   FOUND
        MOV   A,R3
        RL    A
        MOV   R3,A
        INC   R2
        CJNE  R2,#4,NEXTROW
        MOV   P1,#0FFH
        MOV   A,#0FFH
        RET
FOUND:  SWAP  A               ; columns 0-3 in bits 0-3
        MOV   R4,#0           ; column number
COLUMN: RRC   A
        JC    GOT
        INC   R4
        SJMP  COLUMN
GOT:    MOV   A,R2
        RL    A
        RL    A
        ADD   A,R4            ; row * 4 + column
        MOV   P1,#0FFH
        MOV   DPTR,#KEYVALUE
        MOVC  A,@A+DPTR
        RET

; SHOW - lights each digit in turn for about half a millisecond
SHOW:   MOV   R0,#30H
        MOV   R5,#0FEH        ; P2.0 selects the first digit
NEXTDIGIT: MOV A,@R0
        MOV   DPTR,#SEGMENTS
        MOVC  A,@A+DPTR
        MOV   P2,#0FFH        ; no digit while the segments change
        MOV   P0,A
        MOV   P2,R5
        MOV   R6,#200
HOLD:   DJNZ  R6,HOLD
        MOV   A,R5
        RL    A
        MOV   R5,A
        INC   R0
        CJNE  R0,#34H,NEXTDIGIT
        MOV   P2,#0FFH
        RET

;         keys 1   2   3   A   4   5   6   B   7   8   9   C   *   0   #   D
KEYVALUE: DB  01H,02H,03H,0AH,04H,05H,06H,0BH,07H,08H,09H,0CH,0EH,00H,0FH,0DH
;         0   1   2   3   4   5   6   7   8   9   A   b   C   d   E   F  blank
SEGMENTS: DB  0C0H,0F9H,0A4H,0B0H,99H,92H,82H,0F8H,80H,90H,88H,83H,0C6H,0A1H,86H,8EH,0FFH
        END
