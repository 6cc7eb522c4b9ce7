; LCD_HELLO - "Hello" on the 16x2 LCD of the board "LCD"
; Wiring: D0-D7 on P1, RS on P3.4, RW on P3.5, E on P3.7. Every transfer
; waits for the LCD's busy flag first, so no delay loop is needed.
        ORG   0
START:  MOV   SP,#60H
        CLR   P3.7            ; E low
        MOV   A,#38H          ; function set: 8-bit data, two lines
        ACALL COMMAND
        MOV   A,#0CH          ; display on, cursor off
        ACALL COMMAND
        MOV   A,#06H          ; entry mode: the address counts up
        ACALL COMMAND
        MOV   A,#01H          ; clear the display
        ACALL COMMAND
        MOV   DPTR,#LINE1
        ACALL PRINT
        MOV   A,#0C0H         ; DDRAM address 40H: line 2, column 0
        ACALL COMMAND
        MOV   DPTR,#LINE2
        ACALL PRINT
DONE:   SJMP  DONE

; COMMAND - sends the instruction in A once the LCD is ready
COMMAND: ACALL WAITLCD
        CLR   P3.4            ; RS = 0: instruction
        SJMP  SEND
; PUTCHAR - writes the character in A once the LCD is ready
PUTCHAR: ACALL WAITLCD
        SETB  P3.4            ; RS = 1: data
SEND:   CLR   P3.5            ; RW = 0: write
        MOV   P1,A
        SETB  P3.7            ; the LCD takes the byte as E falls
        CLR   P3.7
        RET
; WAITLCD - reads the busy flag (D7) until it is 0
WAITLCD: MOV  P1,#0FFH        ; release the data lines for the LCD
        CLR   P3.4            ; RS = 0, RW = 1: read the busy flag
        SETB  P3.5
BUSY:   SETB  P3.7
        MOV   C,P1.7
        CLR   P3.7
        JC    BUSY
        RET
; PRINT - writes the text at DPTR up to its 0 byte
PRINT:  CLR   A
        MOVC  A,@A+DPTR
        JZ    PRINTED
        ACALL PUTCHAR
        INC   DPTR
        SJMP  PRINT
PRINTED: RET
LINE1:  DB    "Hello",0
LINE2:  DB    "8051 LCD",0
        END
