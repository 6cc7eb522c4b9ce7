; A CPU-bound program for the speed comparison: nested loops with arithmetic,
; logic, calls, table reads (MOVC) and external RAM (MOVX). It never stops:
; runs are limited by a step count.
	.org 0
	mov psw,#0
	mov sp,#60h
	mov r0,#7fh		; clear internal RAM first: nothing undefined is read
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov r6,#0
outer:	mov r7,#0
inner:	mov a,r7
	add a,#3
	mov b,#7
	mul ab
	xrl a,b
	acall work
	mov dptr,#table
	anl a,#0fh
	movc a,@a+dptr
	mov dptr,#0100h
	movx @dptr,a
	movx a,@dptr
	mov r1,#40h
	add a,@r1
	mov @r1,a
	jnb acc.0,even
	inc 41h
even:	djnz r7,inner
	inc r6
	sjmp outer
work:	push acc
	rl a
	subb a,r7
	da a
	mov 42h,a
	pop acc
	ret
table:	.byte 1,2,3,5,8,13,21,34,55,89,144,233,121,98,219,61
