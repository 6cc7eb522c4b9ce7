; chip: 8052
; The 8052's upper 128 bytes of RAM: reached through @R0/@R1 and by the
; stack, apart from the SFRs at the same addresses.
	.org 0
	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov r0,#0ffh		; clear upper RAM 80H-FFH too
clear2:	mov @r0,a
	dec r0
	cjne r0,#7fh,clear2
	mov r0,#80h
	mov r1,#0c5h
	mov @r0,#12h
	mov @r1,#34h
	mov a,#56h
	mov @r0,a
	inc r0
	mov @r0,p1		; upper RAM 81H gets P1
	mov a,@r1
	add a,@r0
	mov 40h,a
	mov 80h,#0		; P0 itself
	mov sp,#7dh
	push acc
	push 40h
	push psw
	lcall sub
	pop 41h
	pop 42h
	pop 43h
	ljmp 0f000h		; into unloaded code: the run stops
sub:	mov r1,sp
	mov a,@r1
	mov 44h,a
	ret
