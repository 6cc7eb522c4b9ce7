; Echo with the receiver left off: SCON is 40H, REN is 0.
        ORG   0
START:  MOV   TMOD,#20H       ; timer 1, mode 2
        MOV   TH1,#0FDH       ; 9600 baud
        MOV   SCON,#40H       ; serial mode 1
        SETB  TR1
LOOP:   JNB   RI,LOOP
        CLR   RI
        MOV   A,SBUF
        MOV   SBUF,A
SEND:   JNB   TI,SEND
        CLR   TI
        SJMP  LOOP
        END
