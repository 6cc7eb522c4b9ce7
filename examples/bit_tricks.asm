; BIT_TRICKS - single bits of the bit-addressable RAM 20H-2FH
FLAG    BIT   20H.0
READY   BIT   21H.7
        ORG   0
START:  MOV   20H,#0
        MOV   21H,#0
        MOV   22H,#0
        SETB  FLAG
        SETB  READY
        CPL   20H.1
        MOV   C,FLAG          ; C = 1
        ANL   C,/20H.2        ; C = 1 AND NOT 0
        MOV   22H.3,C
        JNB   READY,DONE
        SETB  22H.0
DONE:   SJMP  DONE
        END
