; SEVEN_SEGMENT - show the digit in 30H on a common-cathode display at P1
DIGIT   SFR   30H
        ORG   0
START:  MOV   DIGIT,#7
        MOV   DPTR,#SEGMENTS
        MOV   A,DIGIT
        MOVC  A,@A+DPTR
        MOV   P1,A            ; segments g..a
DONE:   SJMP  DONE
;                 0   1   2   3   4   5   6   7   8   9
SEGMENTS: DB    3FH,06H,5BH,4FH,66H,6DH,7DH,07H,7FH,6FH
        END
