; Serial receive in mode 1 at 9600 baud: four bytes arrive on RXD and are
; stored from 30H on, SBUF read after each RI.
; receive: 41 42 0D 0A
; ignore-cycles		the bytes arrive at different times in the two simulators
; ignore-sfr: 98	s51 leaves RB8 at 0 in mode 1; the chip puts the stop bit (1) there
	.org 0
	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov tmod,#20h		; timer 1 mode 2
	mov th1,#0fdh		; 9600 baud
	mov tl1,#0fdh
	setb tr1
	mov scon,#50h		; mode 1, REN
	mov r0,#30h
	mov r2,#4
next:	jnb ri,next
	mov a,sbuf
	clr ri
	mov @r0,a
	inc r0
	djnz r2,next
	ljmp 0f000h		; into unloaded code: the run stops
