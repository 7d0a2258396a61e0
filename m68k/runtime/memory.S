| The four memory functions GCC may call even in freestanding code (structure
| copies, loops it recognises): memcpy, memmove, memset, memcmp, with the C
| signatures. Arguments on the stack; results in D0, and pointer results in A0
| as well, as the m68k ABI returns pointers. Clobber D0-D1/A0-A1 only.

        .text

| void *memcpy(void *dst, const void *src, size_t n)
| void *memmove(void *dst, const void *src, size_t n)
| One routine serves both: it copies backwards whenever the destination lies above
| the source, so overlapping copies come out right.
        .globl  memcpy
        .globl  memmove
memcpy:
memmove:
        movea.l 4(%sp),%a0
        movea.l 8(%sp),%a1
        move.l  12(%sp),%d1
        beq.s   .Lcopy_done
        cmpa.l  %a1,%a0
        bhi.s   .Lcopy_backwards
.Lcopy_forwards:
        move.b  (%a1)+,(%a0)+
        subq.l  #1,%d1
        bne.s   .Lcopy_forwards
        bra.s   .Lcopy_done
.Lcopy_backwards:
        adda.l  %d1,%a0
        adda.l  %d1,%a1
.Lcopy_backwards_next:
        move.b  -(%a1),-(%a0)
        subq.l  #1,%d1
        bne.s   .Lcopy_backwards_next
.Lcopy_done:
        move.l  4(%sp),%d0
        movea.l %d0,%a0
        rts

| void *memset(void *dst, int c, size_t n)
        .globl  memset
memset:
        movea.l 4(%sp),%a0
        move.l  8(%sp),%d0
        move.l  12(%sp),%d1
        beq.s   .Lset_done
.Lset_next:
        move.b  %d0,(%a0)+
        subq.l  #1,%d1
        bne.s   .Lset_next
.Lset_done:
        move.l  4(%sp),%d0
        movea.l %d0,%a0
        rts

| int memcmp(const void *a, const void *b, size_t n): bytes compared unsigned.
        .globl  memcmp
memcmp:
        movea.l 4(%sp),%a0
        movea.l 8(%sp),%a1
        move.l  12(%sp),%d1
        moveq   #0,%d0
        tst.l   %d1
        beq.s   .Lcmp_done
.Lcmp_next:
        cmpm.b  (%a1)+,(%a0)+
        bne.s   .Lcmp_differ
        subq.l  #1,%d1
        bne.s   .Lcmp_next
        rts
.Lcmp_differ:
        move.b  -(%a0),%d0              | D0 was 0, so this zero-extends
        moveq   #0,%d1
        move.b  -(%a1),%d1
        sub.l   %d1,%d0
.Lcmp_done:
        rts
