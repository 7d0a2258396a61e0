| The built-in replay routine for EASO data, 1166 bytes. The host copies these bytes
| in front of a module whose file begins with "EASO", so the data (the file without
| its first four bytes) follows at block + 1166. Nothing here is relocated: the block
| reaches its tables PC-relative and the data through the address init stores.
|
| Offsets that players and the host rely on are fixed with .org: the two entry
| branches, the tables and the channel records. A player calls block + 0 (init) once
| per song start and block + 4 (play) once per tick.
|
| Data layout (offsets from D; the six longs at D + 0 .. D + 0x14 are offsets from D):
|   0 rows (8 bytes: one word for AUD0..AUD3, note << 8 | instrument), 4 position
|   list, 8 instruments (16 bytes), 0xC samples (offset / 4 << 16 | length in words),
|   0x10 volume envelopes (64 bytes), 0x14 pitch envelopes (64 bytes).

#include <varno/custom.h>

| Channel record fields.
#define VOL_COUNT       0x00    /* byte: volume-envelope countdown */
#define VOL_SPEED       0x01    /* byte */
#define VOL_POINTER     0x02    /* long */
#define VOL_LOOP        0x06    /* long */
#define ARP_BASE        0x09    /* arpeggio offset n (1-3) lies at ARP_BASE + n */
#define PITCH_COUNT     0x0A    /* byte: pitch-envelope countdown, or arpeggio offset 1 */
#define PITCH_SPEED     0x0B    /* byte, or arpeggio offset 2 */
#define PITCH_POINTER   0x0C    /* long; in arpeggio mode offset 3 and the step */
#define ARP_STEP        0x0D    /* byte */
#define PITCH_LOOP      0x10    /* long: 0 selects arpeggio mode */
#define NOTE            0x14    /* word */
#define PERIOD          0x18    /* word: 0 = channel idle */
#define DMA_BIT         0x1A    /* word */
#define HOLD            0x1C    /* word */

| Offsets of a channel's registers from its AUDxLCH.
#define AUDLC           0
#define AUDLEN          4
#define AUDPER          6
#define AUDVOL          8

        .text
block:
        .word   0x6000, init - .        | bra.w init
        .word   0x6000, play - .        | bra.w play
silence:                                | 0x008: two silent words for stopped channels
        .long   0
dataAddress:                            | 0x00C: D
        .long   0
row:    .word   0                       | 0x010
lastRow:
        .word   0                       | 0x012
position:                               | 0x014: next entry of the position list
        .long   0
periods:                                | 0x018: note 1-60 = five octaves, then 113
        .word   0
        .word   3424, 3232, 3050, 2880, 2720, 2556, 2422, 2286, 2158, 2036, 1922, 1814
        .word   1712, 1616, 1524, 1440, 1358, 1282, 1210, 1142, 1078, 1017, 960, 906
        .word   856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453
        .word   428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226
        .word   214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113
        .rept   10
        .word   113
        .endr
        .org    0x0A6
speedCounter:
        .byte   0
speed:  .byte   0

        .macro  RECORD bit
        .org    . + DMA_BIT
        .word   \bit
        .space  4
        .endm
recordAUD1:                             | 0x0A8
        RECORD  2
recordAUD2:                             | 0x0C8
        RECORD  4
recordAUD0:                             | 0x0E8
        RECORD  1
recordAUD3:                             | 0x108
        RECORD  8

        .org    0x128
| Stop the channels, find the data and the position list, start at speed 1.
init:
        lea     block(%pc),%a1
        move.w  #DMAF_AUDIO,CUSTOM_BASE+DMACON
        lea     blockEnd-block(%a1),%a0
        move.l  %a0,dataAddress-block(%a1)
        move.l  4(%a0),%d0
        add.l   %a0,%d0
        move.l  %d0,position-block(%a1)
        clr.l   row-block(%a1)                  | row and last row
        move.w  #0x0101,speedCounter-block(%a1) | counter and speed
        rts

        .org    0x156
| Once per tick: a row every `speed` ticks, then the effects of every channel.
play:
        movem.l %d0-%d7/%a0-%a6,-(%sp)
        lea     block(%pc),%a6
        movea.l dataAddress-block(%a6),%a4
        subq.b  #1,speedCounter-block(%a6)
        bne.s   1f
        move.b  speed-block(%a6),speedCounter-block(%a6)
        bsr     rowStep
1:      lea     recordAUD2-block(%a6),%a2
        bsr     effects
        lea     recordAUD0-block(%a6),%a2
        bsr     effects
        lea     recordAUD1-block(%a6),%a2
        bsr     effects
        lea     recordAUD3-block(%a6),%a2
        bsr     effects
        movem.l (%sp)+,%d0-%d7/%a0-%a6
        rts

| Next row; past the position's last row, the next position entry.
rowStep:
        addq.w  #1,row-block(%a6)
        move.w  row-block(%a6),%d0
        cmp.w   lastRow-block(%a6),%d0
        bls.s   playRow
        movea.l position-block(%a6),%a0
        moveq   #17,%d2                         | a jump may repeat 16 times in a row
readEntry:
        move.w  (%a0)+,%d0
        cmpi.w  #0xFFFF,%d0
        bne.s   takeEntry
        subq.w  #1,%d2
        bne.s   jump
        moveq   #17,%d2                         | endless jumps: step over the 0xFFFF
        bra.s   readEntry
jump:
        moveq   #0,%d1
        move.w  (%a0),%d1
        lsl.l   #2,%d1
        movea.l %a4,%a0
        adda.l  4(%a4),%a0
        adda.l  %d1,%a0
        bra.s   readEntry
takeEntry:
        andi.w  #0x0FFF,%d0
        move.w  %d0,row-block(%a6)
        move.w  (%a0)+,%d1
        move.l  %a0,position-block(%a6)
        move.w  %d1,%d3
        andi.w  #0x0FFF,%d1
        move.w  %d1,lastRow-block(%a6)
        rol.w   #4,%d3
        andi.w  #0x000F,%d3
        move.b  %d3,speed-block(%a6)
        move.b  %d3,speedCounter-block(%a6)
playRow:
        moveq   #0,%d0
        move.w  row-block(%a6),%d0
        lsl.l   #3,%d0
        movea.l %a4,%a1
        adda.l  (%a4),%a1
        adda.l  %d0,%a1
        lea     recordAUD0-block(%a6),%a2
        move.w  (%a1)+,%d0
        bsr     noteStart
        lea     recordAUD1-block(%a6),%a2
        move.w  (%a1)+,%d0
        bsr     noteStart
        lea     recordAUD2-block(%a6),%a2
        move.w  (%a1)+,%d0
        bsr     noteStart
        lea     recordAUD3-block(%a6),%a2
        move.w  (%a1)+,%d0
        bsr     noteStart
        rts

| A3 = the registers of the record's channel (A2), D7 = its DMACON bit.
channelRegisters:
        move.w  DMA_BIT(%a2),%d7
        lea     CUSTOM_BASE+AUD0LCH,%a3
        move.w  %d7,%d6
1:      lsr.w   #1,%d6
        beq.s   2f
        lea     AUD_STRIDE(%a3),%a3
        bra.s   1b
2:      rts

| Starts note D0 (note << 8 | instrument) on the record at A2; 0 leaves it alone.
noteStart:
        tst.w   %d0
        beq     noteDone
        bsr     channelRegisters
        move.w  #120,AUDPER(%a3)
        move.w  %d7,CUSTOM_BASE+DMACON
        moveq   #0,%d1                          | A0 = the instrument
        move.b  %d0,%d1
        lsl.w   #4,%d1
        movea.l %a4,%a0
        adda.l  8(%a4),%a0
        adda.l  %d1,%a0
        moveq   #0x7F,%d2                       | the sample: start and length
        and.b   (%a0),%d2
        lsl.w   #2,%d2
        movea.l %a4,%a5
        adda.l  0xC(%a4),%a5
        adda.l  %d2,%a5
        moveq   #0,%d3
        move.w  (%a5)+,%d3
        lsl.l   #2,%d3
        add.l   %a4,%d3
        move.l  %d3,AUDLC(%a3)
        move.w  (%a5),AUDLEN(%a3)
        moveq   #0x7F,%d2                       | the volume envelope
        and.b   2(%a0),%d2
        lsl.w   #6,%d2
        movea.l %a4,%a5
        adda.l  0x10(%a4),%a5
        adda.l  %d2,%a5
        move.l  %a5,VOL_POINTER(%a2)
        move.l  %a5,VOL_LOOP(%a2)
        moveq   #0x7F,%d2                       | the pitch envelope, or an arpeggio
        and.b   3(%a0),%d2
        btst    #7,3(%a0)
        bne.s   arpeggio
        lsl.w   #6,%d2
        movea.l %a4,%a5
        adda.l  0x14(%a4),%a5
        adda.l  %d2,%a5
        move.l  %a5,PITCH_POINTER(%a2)
        move.l  %a5,PITCH_LOOP(%a2)
        bra.s   envelopeTimes
arpeggio:
        move.b  %d2,PITCH_POINTER(%a2)          | third offset
        move.b  #2,ARP_STEP(%a2)
        clr.l   PITCH_LOOP(%a2)
envelopeTimes:
        move.b  4(%a0),VOL_COUNT(%a2)
        move.b  5(%a0),VOL_SPEED(%a2)
        move.b  6(%a0),PITCH_COUNT(%a2)
        move.b  7(%a0),PITCH_SPEED(%a2)
        moveq   #0,%d1                          | the period, with the fine-tune
        move.w  %d0,%d1
        lsr.w   #8,%d1
        move.w  %d1,NOTE(%a2)
        move.w  %d1,%d2
        add.w   %d2,%d2
        move.w  periods-block(%a6,%d2.w),%d3
        move.b  10(%a0),%d4
        ext.w   %d4
        moveq   #0,%d5
        move.w  %d1,%d5
        divu    #12,%d5
        moveq   #5,%d6
        sub.w   %d5,%d6
        andi.w  #7,%d6
        lsl.w   %d6,%d4
        add.w   %d4,%d3
        move.w  %d3,PERIOD(%a2)
        moveq   #0,%d4                          | volume, a DMA wait, period, start
        move.b  9(%a0),%d4
        move.w  %d4,AUDVOL(%a3)
        move.w  %d3,%d4
        lsr.w   #2,%d4
1:      dbra    %d4,1b
        move.w  %d3,AUDPER(%a3)
        move.w  %d7,%d4
        ori.w   #DMAF_SETCLR,%d4
        move.w  %d4,CUSTOM_BASE+DMACON
        moveq   #0,%d4                          | hold: 0 plays the sample once
        move.b  1(%a0),%d4
        bne.s   2f
        move.w  #1,AUDLEN(%a3)
        clr.w   HOLD(%a2)
        rts
2:      addq.w  #1,%d4
        move.w  %d4,HOLD(%a2)
noteDone:
        rts

| Hold, volume envelope and pitch (envelope or arpeggio) of the record at A2.
effects:
        tst.w   PERIOD(%a2)
        beq     effectsDone
        bsr     channelRegisters
        tst.w   HOLD(%a2)
        beq.s   volume
        subq.w  #1,HOLD(%a2)
        bne.s   volume
        move.w  %d7,CUSTOM_BASE+DMACON
        lea     silence(%pc),%a5
        move.l  %a5,AUDLC(%a3)
        clr.w   PERIOD(%a2)
        rts
volume:
        tst.b   VOL_COUNT(%a2)
        beq.s   pitch
        subq.b  #1,VOL_COUNT(%a2)
        bne.s   pitch
        movea.l VOL_POINTER(%a2),%a5
        moveq   #1,%d5                          | one jump to the loop start per tick
volumeRead:
        moveq   #0,%d4
        move.b  (%a5)+,%d4
        cmpi.w  #64,%d4
        bhi.s   volumeSpecial
        move.w  %d4,AUDVOL(%a3)
        move.b  VOL_SPEED(%a2),VOL_COUNT(%a2)
        bra.s   volumeStore
volumeSpecial:
        cmpi.w  #0xFF,%d4
        bne.s   volumeEnd
        subq.w  #1,%d5
        bmi.s   volumeEnd
        movea.l VOL_LOOP(%a2),%a5
        bra.s   volumeRead
volumeEnd:
        clr.b   VOL_COUNT(%a2)
volumeStore:
        move.l  %a5,VOL_POINTER(%a2)
pitch:
        tst.l   PITCH_LOOP(%a2)
        bne.s   pitchEnvelope
        moveq   #0,%d4                          | arpeggio: steps 0-3
        move.b  ARP_STEP(%a2),%d4
        addq.w  #1,%d4
        andi.w  #3,%d4
        moveq   #0,%d5
        tst.w   %d4
        beq.s   arpeggioSet
        move.b  ARP_BASE(%a2,%d4.w),%d5
        bne.s   arpeggioSet
        moveq   #2,%d4                          | a zero offset plays the note itself
arpeggioSet:
        move.b  %d4,ARP_STEP(%a2)
        move.w  NOTE(%a2),%d4
        add.w   %d5,%d4
        andi.w  #2047,%d4
        add.w   %d4,%d4
        move.w  periods-block(%a6,%d4.w),AUDPER(%a3)
        rts
pitchEnvelope:
        tst.b   PITCH_COUNT(%a2)
        beq.s   effectsDone
        subq.b  #1,PITCH_COUNT(%a2)
        bne.s   effectsDone
        movea.l PITCH_POINTER(%a2),%a5
        move.b  (%a5)+,%d4
        cmpi.b  #65,%d4
        blt.s   pitchAdd
        movea.l PITCH_LOOP(%a2),%a5
        move.b  (%a5)+,%d4
pitchAdd:
        ext.w   %d4
        add.w   PERIOD(%a2),%d4
        cmpi.w  #100,%d4
        bge.s   1f
        moveq   #100,%d4
1:      move.w  %d4,AUDPER(%a3)
        move.w  %d4,PERIOD(%a2)
        move.l  %a5,PITCH_POINTER(%a2)
        move.b  PITCH_SPEED(%a2),PITCH_COUNT(%a2)
effectsDone:
        rts

        .org    0x48E
blockEnd:
