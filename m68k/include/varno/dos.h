/* dos.library for 68000 code: library vector offsets (JSR _LVOx(A6), A6 = the base
   from OpenLibrary or dtg_DOSBase) and the constants its calls take. Usable from .S
   files and from C. Files are read-only: Open succeeds only with MODE_OLDFILE. */
#ifndef VARNO_DOS_H
#define VARNO_DOS_H

#define _LVOOpen                (-30)  /* D1 name, D2 mode -> D0 handle or 0 */
#define _LVOClose               (-36)  /* D1 handle */
#define _LVORead                (-42)  /* D1 handle, D2 buffer, D3 length -> D0 bytes read */
#define _LVOWrite               (-48)
#define _LVOSeek                (-66)  /* D1 handle, D2 position, D3 OFFSET_ mode -> D0 old position */
#define _LVOLock                (-84)  /* D1 name, D2 mode -> D0 lock */
#define _LVOUnLock              (-90)  /* D1 lock */
#define _LVOExamine             (-102)
#define _LVOCurrentDir          (-126) /* D1 lock */
#define _LVOIoErr               (-132)
#define _LVOLoadSeg             (-150) /* D1 name -> D0 segment list (BCPL pointer) or 0 */
#define _LVOUnLoadSeg           (-156)
#define _LVODelay               (-198)

#define MODE_OLDFILE            1005
#define MODE_NEWFILE            1006
#define MODE_READWRITE          1004

#define OFFSET_BEGINNING        (-1)
#define OFFSET_CURRENT          0
#define OFFSET_END              1

#define ACCESS_READ             (-2)

#endif
