; Count the presses of the button on P3.2 on the LEDs of P1 (lit when low).
        MOV   R7,#0           ; the count
        MOV   P1,#0FFH        ; all LEDs off
WAIT:   JB    P3.2,WAIT       ; wait for a press
        INC   R7
        MOV   A,R7
        CPL   A               ; a lit LED is a low pin
        MOV   P1,A
HELD:   JNB   P3.2,HELD       ; wait for the release
        SJMP  WAIT
        END
