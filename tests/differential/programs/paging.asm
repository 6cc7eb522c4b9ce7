; MOVX @Ri addresses the page held in P2 (P2 x 256 + Ri), as C compilers'
; paged external data expects; @DPTR reads the same bytes back.
	.org 0
	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov p2,#01h
	mov r0,#30h
	mov a,#5ah
	movx @r0,a		; 0130H
	mov p2,#02h
	mov r1,#30h
	mov a,#0a5h
	movx @r1,a		; 0230H
	mov p2,#01h
	movx a,@r1		; back from 0130H
	mov 40h,a
	mov dptr,#0130h
	movx a,@dptr
	mov 41h,a
	mov dptr,#0230h
	movx a,@dptr
	mov 42h,a
	mov p2,#0ffh
	mov r0,#0f0h
	mov a,#33h
	movx @r0,a		; FFF0H
	mov dptr,#0fff0h
	movx a,@dptr
	mov 43h,a
	ljmp 0f000h		; into unloaded code: the run stops
