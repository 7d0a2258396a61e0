/* Every include file must also serve C: this program only has to build. */
#include <varno/player.h>
#include <varno/exec.h>
#include <varno/dos.h>
#include <varno/cia.h>
#include <varno/custom.h>
#include <varno/graphics.h>

unsigned long module_size(void *base)
{
    return DTG_LONG(base, dtg_ChkSize) + DTG_WORD(base, dtg_SndNum);
}
