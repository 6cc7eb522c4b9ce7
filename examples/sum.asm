; SUM.ASM - adds the bytes of a table in code memory into R2 (low) and R3 (high).
        ORG 0
        MOV DPTR,#TABLE
        MOV R2,#0
        MOV R3,#0
        MOV R1,#8
NEXT:   CLR A
        MOVC A,@A+DPTR
        ADD A,R2
        MOV R2,A
        CLR A
        ADDC A,R3
        MOV R3,A
        INC DPTR
        DJNZ R1,NEXT
HERE:   SJMP HERE

TABLE:  DB 12H,34H,56H,78H,9AH,0BCH,0DEH,0F0H
        END
