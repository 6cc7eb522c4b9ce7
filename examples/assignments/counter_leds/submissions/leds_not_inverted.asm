; Count the presses of the button on P3.2 on the LEDs of P1.
        MOV   R7,#0
        MOV   P1,R7           ; the count as it is: a 0 bit lights its LED
WAIT:   JB    P3.2,WAIT
        INC   R7
        MOV   P1,R7
HELD:   JNB   P3.2,HELD
        SJMP  WAIT
        END
