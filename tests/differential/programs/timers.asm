; Timers 0 and 1 in modes 0, 1 and 2, started and stopped by TR and polled
; by their overflow flags; the final counts and the cycle counter must agree
; to the machine cycle.
	.org 0
	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov tmod,#21h		; timer 0 mode 1, timer 1 mode 2
	mov th0,#0ffh
	mov tl0,#0c0h
	mov th1,#0e0h
	mov tl1,#0f0h
	setb tr0
	setb tr1
w0:	jnb tf0,w0		; timer 0 overflows once
	clr tr0
	clr tf0
	mov 30h,tl0
	mov r2,#5
w1:	jnb tf1,w1		; timer 1 reloads five times
	clr tf1
	inc 31h
	djnz r2,w1
	clr tr1
	mov 32h,tl1
	mov tmod,#00h		; both timers in mode 0 (13 bits)
	mov th0,#0feh
	mov tl0,#10h
	mov th1,#0ffh
	mov tl1,#18h
	setb tr0
	setb tr1
w2:	jbc tf0,d2
	sjmp w2
d2:	clr tr0
	mov 33h,th0
	mov 34h,tl0
w3:	jnb tf1,w3
	clr tr1
	clr tf1
	mov 35h,th1
	mov 36h,tl1
	mov tmod,#12h		; timer 0 mode 2, timer 1 mode 1
	mov th0,#80h
	mov tl0,#0f0h
	mov th1,#0ffh
	mov tl1,#0a0h
	setb tr1
	setb tr0
	mov r3,#3
w4:	jnb tf0,w4
	clr tf0
	djnz r3,w4
	clr tr0
w5:	jnb tf1,w5
	clr tr1
	ljmp 0f000h		; into unloaded code: the run stops
