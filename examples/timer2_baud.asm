; TIMER2_BAUD - on the 8052, timer 2 clocks the serial port at 9600 baud
; (RCAP2 = 65536 - 11059200 / (32 x 9600) = FFDCH) and received bytes are
; sent back. Run with: z51 run timer2_baud.hex --chip 8052 --input timer2_baud.in
; Timer 2's registers are written by address, so the source assembles for
; every chip: T2CON C8H, RCAP2L CAH, RCAP2H CBH, TL2 CCH, TH2 CDH.
        ORG   0
START:  MOV   0CBH,#0FFH      ; RCAP2H
        MOV   0CAH,#0DCH      ; RCAP2L
        MOV   0CDH,#0FFH      ; TH2
        MOV   0CCH,#0DCH      ; TL2
        MOV   SCON,#50H       ; serial mode 1, receiver on
        MOV   0C8H,#34H       ; T2CON: RCLK, TCLK, TR2: timer 2 is the baud generator
LOOP:   JNB   RI,LOOP
        CLR   RI
        MOV   A,SBUF
        MOV   SBUF,A
SEND:   JNB   TI,SEND
        CLR   TI
        SJMP  LOOP
        END
