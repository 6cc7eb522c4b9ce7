; Timer 2 of the 8052: 16-bit auto-reload from RCAP2 with TF2 (never cleared
; by the hardware) entering the interrupt at 002BH, then capture mode (a
; plain 16-bit count, TF2 on the wrap from FFFFH), then the baud-rate
; generator (reloads without TF2).
; chip: 8052
; entries-in: 40
	.org 0
	ljmp start
	.org 2bh
	inc 40h			; entries counted
	inc 41h
	clr tf2			; the routine clears TF2 itself
	reti
start:	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov rcap2h,#0ffh
	mov rcap2l,#0c0h	; 64 counts a period
	mov th2,#0ffh
	mov tl2,#0f0h
	setb et2
	setb ea
	setb tr2		; auto-reload (CP/RL2 = 0)
	mov r2,#100
d0:	djnz r2,d0		; 200 machine cycles
	clr tr2
	clr ea			; (TL2 here counts the entries' cycles, which s51 charges differently)
	mov th2,#0ffh
	mov tl2,#0f0h
	setb tr2		; auto-reload again, polled
	mov r2,#50
d2:	djnz r2,d2		; 100 machine cycles
	clr tr2
	mov 30h,tl2
	mov 31h,th2
	mov 37h,t2con		; TF2 set again, nobody cleared it
	mov t2con,#01h		; capture mode, TR2 = 0
	mov th2,#0ffh
	mov tl2,#0e0h
	setb tr2
	mov r2,#20
d1:	djnz r2,d1		; 40 machine cycles: wraps to 0000H and sets TF2
	clr tr2
	mov 32h,tl2
	mov 33h,th2
	mov 34h,t2con
	mov t2con,#0
	mov th2,#12h
	mov tl2,#34h
	mov 35h,rcap2l		; capture left RCAP2 alone
	mov 36h,rcap2h
	ljmp 0f000h		; into unloaded code: the run stops
