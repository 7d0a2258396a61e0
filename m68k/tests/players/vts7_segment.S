| The companion executable that the "VTS7" test player loads with dos LoadSeg: its
| code returns "SEG7" in D0. Not a player, and not in the player archive.
        .text
        move.l  #0x53454737,%d0
        rts
