| The runtime's routines in a table, so that a test can call each one directly on
| the 68000 core: loaded at any address, the longs below point at the routines.

        .text
        .long   __mulsi3, __udivsi3, __umodsi3, __divsi3, __modsi3
        .long   memcpy, memmove, memset, memcmp
