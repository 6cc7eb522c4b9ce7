; Logic and bits: ANL, ORL, XRL in every form, CLR/CPL A, rotates, SWAP,
; carry and bit operations, and every conditional branch on bits and A.
	.org 0
	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov sp,#2fh
	mov 10h,#0a5h
	mov 11h,#3ch
	mov 12h,#0f0h
	mov r0,#10h
	mov r1,#11h
	mov r2,#96h
	mov r3,#69h
	mov r4,#0fh
	mov r5,#0f0h
	mov r6,#55h
	mov r7,#0aah
	mov a,#0c3h
	anl a,#7eh
	push psw
	anl a,12h
	push psw
	anl a,@r0
	push psw
	anl a,@r1
	push psw
	anl a,r0
	push psw
	anl a,r1
	push psw
	anl a,r2
	push psw
	anl a,r3
	push psw
	cpl a
	anl a,r4
	push psw
	anl a,r5
	push psw
	anl a,r6
	push psw
	anl a,r7
	push psw
	anl 12h,a
	anl 11h,#5ah
	push acc
	orl a,#7eh
	push psw
	orl a,12h
	push psw
	orl a,@r0
	push psw
	orl a,@r1
	push psw
	orl a,r0
	push psw
	orl a,r1
	push psw
	orl a,r2
	push psw
	orl a,r3
	push psw
	cpl a
	orl a,r4
	push psw
	orl a,r5
	push psw
	orl a,r6
	push psw
	orl a,r7
	push psw
	orl 12h,a
	orl 11h,#5ah
	push acc
	xrl a,#7eh
	push psw
	xrl a,12h
	push psw
	xrl a,@r0
	push psw
	xrl a,@r1
	push psw
	xrl a,r0
	push psw
	xrl a,r1
	push psw
	xrl a,r2
	push psw
	xrl a,r3
	push psw
	cpl a
	xrl a,r4
	push psw
	xrl a,r5
	push psw
	xrl a,r6
	push psw
	xrl a,r7
	push psw
	xrl 12h,a
	xrl 11h,#5ah
	push acc
	clr a
	push psw
	mov a,#5ch
	cpl a
	rr a
	push acc
	setb c
	rrc a
	push psw
	rl a
	rlc a
	push psw
	rlc a
	swap a
	push acc
	clr c
	cpl c
	mov 20h,c
	setb c
	cpl c
	mov 20h.1,c
	setb 20h.2
	cpl 20h.2
	cpl 20h.3
	clr 20h.3
	setb 20h.4
	mov c,20h.4
	anl c,20h.0
	mov 20h.5,c
	setb c
	anl c,/20h.1
	mov 20h.6,c
	clr c
	orl c,20h.4
	mov 20h.7,c
	clr c
	orl c,/20h.4
	mov 21h.0,c
	setb c
	orl c,/20h.2
	mov 21h.1,c
	mov a,#81h
	mov c,acc.7
	mov 21h.2,c
	setb c
	jc b1
	inc 30h
b1:	jnc b2
	inc 31h
b2:	clr c
	jc b3
	inc 32h
b3:	jnc b4
	inc 33h
b4:	jb 20h.4,b5
	inc 34h
b5:	jb 20h.3,b6
	inc 35h
b6:	jnb 20h.3,b7
	inc 36h
b7:	jnb 20h.4,b8
	inc 37h
b8:	jbc 20h.4,b9
	inc 38h
b9:	jbc 20h.4,b10
	inc 39h
b10:	clr a
	jz b11
	inc 3ah
b11:	jnz b12
	inc 3bh
b12:	inc a
	jz b13
	inc 3ch
b13:	jnz b14
	inc 3dh
b14:	push psw
	mov 3eh,20h
	mov 3fh,21h
	ljmp 0f000h		; into unloaded code: the run stops
