; Timer 0 interrupts in mode 2 while the main loop counts: the entries, the
; counts of the service routine and the cycle counter (two machine cycles per
; entry) must agree.
; entries-in: 30
; ignore-sfr: 8A	TL0 also counts the entry cycles, so it is ahead of s51 by the entries
	.org 0
	ljmp start
	.org 0bh
	inc 30h			; timer 0 service routine
	reti
	.org 40h
start:	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov sp,#50h
	mov tmod,#02h
	mov th0,#0c0h		; an overflow every 64 machine cycles
	mov tl0,#0c0h
	mov ie,#82h
	setb tr0
	mov r7,#190
loop:	inc 31h
	djnz r7,loop
	clr ea
	clr tr0
	mov 32h,30h
	ljmp 0f000h		; into unloaded code: the run stops
