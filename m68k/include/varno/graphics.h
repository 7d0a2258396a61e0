/* graphics.library for 68000 code: players open it to learn whether the machine is
   PAL or NTSC. It has no calls that do anything. Usable from .S files and from C. */
#ifndef VARNO_GRAPHICS_H
#define VARNO_GRAPHICS_H

#define gb_DisplayFlags         206 /* word in GfxBase */
#define NTSC                    1
#define PAL                     4   /* the host's machine is PAL */

#endif
