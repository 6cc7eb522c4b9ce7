; Jumps and calls: AJMP and ACALL into each of the eight 256-byte pages of
; a 2 KB block, an AJMP whose next address lies in the following block,
; LCALL/LJMP across blocks, SJMP both ways, JMP @A+DPTR, RET and RETI.
	.org 0
	mov psw,#0
	mov r0,#7fh		; clear internal RAM 00H-7FH: s51 starts with random RAM
	clr a
clear:	mov @r0,a
	djnz r0,clear
	mov @r0,a
	mov sp,#40h
	acall sub0
	ajmp page1
part2:	lcall far
	mov dptr,#jtab
	mov a,#4
	jmp @a+dptr
jtab:	sjmp j0
	sjmp j1
	sjmp j2
j0:	inc 21h
j1:	inc 22h
j2:	inc 23h
	sjmp fwd
back:	inc 24h
	ljmp 0f000h		; into unloaded code: the run stops
fwd:	sjmp back
	.org 80h
sub0:	inc 30h
	mov 38h,sp
	ret
	.org 100h
page1:	acall sub1
	ajmp page2
	.org 180h
sub1:	inc 31h
	mov 39h,sp
	ret
	.org 200h
page2:	acall sub2
	ajmp page3
	.org 280h
sub2:	inc 32h
	mov 3ah,sp
	ret
	.org 300h
page3:	acall sub3
	ajmp page4
	.org 380h
sub3:	inc 33h
	mov 3bh,sp
	ret
	.org 400h
page4:	acall sub4
	ajmp page5
	.org 480h
sub4:	inc 34h
	mov 3ch,sp
	ret
	.org 500h
page5:	acall sub5
	ajmp page6
	.org 580h
sub5:	inc 35h
	mov 3dh,sp
	ret
	.org 600h
page6:	acall sub6
	ajmp page7
	.org 680h
sub6:	inc 36h
	mov 3eh,sp
	ret
	.org 700h
page7:	acall sub7
	ajmp edge
	.org 780h
sub7:	inc 37h
	mov 3fh,sp
	reti
	.org 7f0h
edge:	sjmp edge2
	.org 7feh
edge2:	ajmp nextblk		; the next address is 0800H: the target lies in that block
	.org 850h
nextblk:	inc 20h
	ljmp part2
	.org 900h
far:	inc 25h
	acall far2
	ret
	.org 0a00h
far2:	inc 26h
	lcall 0f80h
	ret
	.org 0f80h
	inc 27h
	ret
