; FREQ_COUNTER - timer 0 counts the pulses on T0 (P3.4) while timer 1 measures
; the gate time: one overflow of timer 1, 65536 machine cycles (71.1 ms).
; The count is left in 31H:30H. Run with freq_counter.in (a 1 kHz clock).
        ORG   0
MAIN:   MOV   TMOD,#15H       ; timer 1 mode 1 timer, timer 0 mode 1 counter
        MOV   TL0,#0
        MOV   TH0,#0
        MOV   TL1,#0
        MOV   TH1,#0
        SETB  TR0
        SETB  TR1
WAIT:   JNB   TF1,WAIT        ; the gate time
        CLR   TR0
        CLR   TR1
        MOV   30H,TL0
        MOV   31H,TH0
DONE:   SJMP  DONE
        END
