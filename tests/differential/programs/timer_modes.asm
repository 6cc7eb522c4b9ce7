; Timer mode 0 counts 13 bits: the low five bits of TL carry into TH (TL
; starting at E0H and B5H); timer 0 in mode 3 splits into TL0 under TR0 with
; TF0 and TH0 under TR1 with TF1, while timer 1 in mode 3 holds.
; ignore-sfr: 8A 8B	bits 5-7 of TL0/TL1 after mode 0 are undetermined on the chip
	.org 0
	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov tmod,#00h		; both timers in mode 0
	mov th0,#0feh
	mov tl0,#0e0h		; 64 counts to the overflow
	mov th1,#0ffh
	mov tl1,#0b5h		; 11 counts to the overflow
	setb tr0
	setb tr1
	mov r2,#40
d0:	djnz r2,d0		; 80 machine cycles
	clr tr0
	clr tr1
	mov a,tl0
	anl a,#1fh		; the chip leaves TL bits 5-7 undetermined
	mov 30h,a
	mov 31h,th0
	mov a,tl1
	anl a,#1fh
	mov 32h,a
	mov 33h,th1
	mov 3ah,tcon		; both overflow flags set
	anl tcon,#0fh
	mov tmod,#33h		; timer 0 split, timer 1 held
	mov tl1,#12h
	mov th1,#34h
	mov tl0,#0c0h
	mov th0,#80h
	setb tr0
	setb tr1
w2:	jnb tf0,w2		; TL0 passes FFH
	clr tr0
	mov 34h,tl0
	mov 35h,th0
w3:	jnb tf1,w3		; TH0 passes FFH
	clr tr1
	mov 36h,tl0
	mov 37h,th0
	mov 38h,tl1
	mov 39h,th1
	ljmp 0f000h		; into unloaded code: the run stops
