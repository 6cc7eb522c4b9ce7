; A polled transmit loop: 5000 characters at 9600 baud (timer 1 in mode 2),
; each written to SBUF and waited for on TI (CLR TI writes SCON every time),
; run for millions of steps. The character time is computed from the baud
; rate here, while s51 counts the timer overflows, so the cycle counts and
; the free-running TL1 differ; the characters sent must agree.
; ignore-cycles
; ignore-sfr: 8B 99	TL1 stops at a different count; SBUF reads the receive buffer
	.org 0
	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov tmod,#20h
	mov th1,#0fdh
	mov tl1,#0fdh
	mov scon,#50h		; mode 1, receiver on
	setb tr1
	mov r6,#20		; 20 x 250 characters
outer:	mov r7,#250
send:	mov sbuf,a
wait:	jnb ti,wait
	clr ti
	inc a
	inc 30h
	mov a,30h
	jnz next
	inc 31h
next:	djnz r7,send
	djnz r6,outer
	clr tr1
	ljmp 0f000h		; into unloaded code: the run stops
