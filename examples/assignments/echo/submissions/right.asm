; Echo every byte received at 9600 baud.
        ORG   0
START:  MOV   TMOD,#20H       ; timer 1, mode 2
        MOV   TH1,#0FDH       ; 9600 baud
        MOV   SCON,#50H       ; serial mode 1, receiver on
        SETB  TR1
LOOP:   JNB   RI,LOOP         ; until a byte is received
        CLR   RI
        MOV   A,SBUF          ; the receive buffer
        MOV   SBUF,A          ; sent back
SEND:   JNB   TI,SEND
        CLR   TI
        SJMP  LOOP
        END
