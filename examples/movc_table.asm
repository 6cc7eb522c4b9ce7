; MOVC_TABLE - look up the square of a number 0..15 in a code table
NUMBER  EQU   5
        ORG   0
START:  MOV   DPTR,#SQUARES
        MOV   A,#NUMBER
        MOVC  A,@A+DPTR       ; A = NUMBER * NUMBER
        MOV   30H,A
DONE:   SJMP  DONE
SQUARES: DB   0,1,4,9,16,25,36,49,64,81,100,121,144,169,196,225
        END
