; Arithmetic in every addressing form: ADD, ADDC, SUBB, INC, DEC, DA, MUL,
; DIV, CJNE, DJNZ. Each result flows on in A; PSW is pushed after each
; operation, so every flag of every step is compared at the end.
	.org 0
	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov sp,#1fh
	mov 10h,#6ah
	mov 11h,#0c5h
	mov 12h,#58h
	mov r0,#10h
	mov r1,#11h
	mov r2,#0f3h
	mov r3,#27h
	mov r4,#80h
	mov r5,#7fh
	mov r6,#99h
	mov r7,#01h
	mov a,#45h
	add a,#0bbh
	push psw
	add a,12h
	push psw
	add a,@r0
	push psw
	add a,@r1
	push psw
	add a,r0
	push psw
	add a,r1
	push psw
	add a,r2
	push psw
	add a,r3
	push psw
	add a,r4
	push psw
	add a,r5
	push psw
	add a,r6
	push psw
	add a,r7
	push psw
	setb c
	addc a,#0bbh
	push psw
	addc a,12h
	push psw
	addc a,@r0
	push psw
	addc a,@r1
	push psw
	addc a,r0
	push psw
	addc a,r1
	push psw
	addc a,r2
	push psw
	addc a,r3
	push psw
	addc a,r4
	push psw
	addc a,r5
	push psw
	addc a,r6
	push psw
	addc a,r7
	push psw
	subb a,#0bbh
	push psw
	subb a,12h
	push psw
	subb a,@r0
	push psw
	subb a,@r1
	push psw
	subb a,r0
	push psw
	subb a,r1
	push psw
	subb a,r2
	push psw
	subb a,r3
	push psw
	subb a,r4
	push psw
	subb a,r5
	push psw
	subb a,r6
	push psw
	subb a,r7
	push psw
	push acc
	mov a,#99h		; DA after 99H + 99H: 98H with CY
	add a,#99h
	da a
	push psw
	push acc
	mov a,#38h		; AC set by the low digits
	add a,#49h
	da a
	push psw
	push acc
	mov a,#0fah		; high digit above 9
	addc a,#0
	da a
	push psw
	push acc
	mov a,#9ch		; MUL with a product above 255
	mov b,#37h
	mul ab
	push psw
	push acc
	push b
	mov a,#0ch
	mov b,#0bh
	mul ab
	push psw
	push acc
	mov a,#0fbh		; DIV
	mov b,#12h
	div ab
	push psw
	push acc
	push b
	mov a,#7
	mov b,#0		; division by zero: the chip sets OV and leaves A and B
	div ab			; undefined, so A and B are set again before PSW (whose
	mov a,#0		; parity follows A) is pushed
	mov b,#0
	push psw
	mov dptr,#12ffh
	inc a
	inc 12h
	inc @r0
	inc @r1
	inc r0
	inc r1
	inc r2
	inc r3
	inc r4
	inc r5
	inc r6
	inc r7
	inc dptr
	dec a
	dec 12h
	dec @r0
	dec @r1
	dec r0
	dec r1
	dec r2
	dec r3
	dec r4
	dec r5
	dec r6
	dec r7
	dec a
	push acc
	push dpl
	push dph
	cjne a,#0ffh,cj0
	inc 13h
cj0:	push psw
	cjne a,#10h,cj1
	inc 13h
cj1:	push psw
	cjne a,12h,cj2
	inc 13h
cj2:	push psw
	cjne @r0,#6ah,cj3
	inc 13h
cj3:	push psw
	cjne @r1,#0c5h,cj4
	inc 13h
cj4:	push psw
	cjne @r1,#0,cj5
	inc 13h
cj5:	push psw
	cjne r0,#10h,cj6
	inc 13h
cj6:	push psw
	cjne r1,#20h,cj7
	inc 13h
cj7:	push psw
	cjne r2,#0f3h,cj8
	inc 13h
cj8:	push psw
	cjne r3,#0,cj9
	inc 13h
cj9:	push psw
	cjne r4,#80h,cj10
	inc 13h
cj10:	push psw
	cjne r5,#0ffh,cj11
	inc 13h
cj11:	push psw
	cjne r6,#99h,cj12
	inc 13h
cj12:	push psw
	cjne r7,#2,cj13
	inc 13h
cj13:	push psw
	mov 14h,#5
dj0:	inc 15h
	djnz 14h,dj0
	mov r0,#2
djr0:	inc 16h
	djnz r0,djr0
	mov r1,#3
djr1:	inc 16h
	djnz r1,djr1
	mov r2,#4
djr2:	inc 16h
	djnz r2,djr2
	mov r3,#5
djr3:	inc 16h
	djnz r3,djr3
	mov r4,#6
djr4:	inc 16h
	djnz r4,djr4
	mov r5,#7
djr5:	inc 16h
	djnz r5,djr5
	mov r6,#8
djr6:	inc 16h
	djnz r6,djr6
	mov r7,#9
djr7:	inc 16h
	djnz r7,djr7
	mov r3,#0		; DJNZ from 0 runs 256 times
djz:	djnz r3,djz
	ljmp 0f000h		; into unloaded code: the run stops
