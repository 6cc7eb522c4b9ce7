; INCLUDE_HEADER - names of the teaching board from 8051.LIB\BOARD.H
INCLUDE <BOARD.H>
        ORG   0
START:  MOV   LEDS,#0F0H      ; upper four LEDs off
        SETB  LED0
        MOV   TH1,#BAUD9600
        CLR   BUZZER
DONE:   SJMP  DONE
        END
