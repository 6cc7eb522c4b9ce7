; SERIAL_9600 - send a text at 9600 baud (11.0592 MHz, timer 1 mode 2)
        ORG   0
START:  MOV   TMOD,#20H       ; timer 1, mode 2
        MOV   TH1,#0FDH       ; 9600 baud
        MOV   SCON,#50H       ; serial mode 1, receiver on
        SETB  TR1
        MOV   DPTR,#TEXT
NEXT:   CLR   A
        MOVC  A,@A+DPTR
        JZ    DONE
        MOV   SBUF,A
WAIT:   JNB   TI,WAIT         ; until the byte is sent
        CLR   TI
        INC   DPTR
        SJMP  NEXT
DONE:   SJMP  DONE
TEXT:   DB    "Hi 8051",0DH,0AH,0
        END
