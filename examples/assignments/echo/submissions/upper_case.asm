; Echo, but letters come back in upper case (bit 5 cleared).
        ORG   0
START:  MOV   TMOD,#20H       ; timer 1, mode 2
        MOV   TH1,#0FDH       ; 9600 baud
        MOV   SCON,#50H       ; serial mode 1, receiver on
        SETB  TR1
LOOP:   JNB   RI,LOOP
        CLR   RI
        MOV   A,SBUF
        ANL   A,#0DFH         ; 'a' becomes 'A' (and ',' becomes 0CH)
        MOV   SBUF,A
SEND:   JNB   TI,SEND
        CLR   TI
        SJMP  LOOP
        END
