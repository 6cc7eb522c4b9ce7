; Count the presses of the button on P3.2 on the LEDs of P1 (lit when low).
        MOV   R7,#0
        MOV   P1,#0FFH
WAIT:   JB    P3.2,WAIT
        INC   R7
        MOV   A,R7
        CPL   A
        MOV   P1,A
        SJMP  WAIT            ; counts on as long as the button is held
        END
