; LEDS_P1 - a walking light on the eight LEDs of port 1
; A 0 bit lights an LED; RL moves the lit LED one place left.
        ORG   0
START:  MOV   P1,#0FFH        ; all LEDs off
        MOV   A,#11111110B    ; LED 0 on
LOOP:   MOV   P1,A
        RL    A               ; next LED
        SJMP  LOOP
        END
