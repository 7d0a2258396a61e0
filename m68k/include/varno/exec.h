/* exec.library for 68000 code: library vector offsets (call with JSR _LVOx(A6),
   A6 = the long at address 4), the structures players pass to it, and flags.
   Usable from .S files and from C. The host implements AllocMem, FreeMem (no
   action), OpenLibrary, OldOpenLibrary, OpenResource, TypeOfMem, SetIntVector,
   AddIntServer (vertical blank only) and Cause; every other vector returns at once
   with all registers unchanged. */
#ifndef VARNO_EXEC_H
#define VARNO_EXEC_H

#define AbsExecBase             4

/* ---- Library vector offsets ----------------------------------------------- */
#define _LVODisable             (-120)
#define _LVOEnable              (-126)
#define _LVOForbid              (-132)
#define _LVOPermit              (-138)
#define _LVOSetIntVector        (-162) /* D0 interrupt number, A1 Interrupt */
#define _LVOAddIntServer        (-168) /* D0 interrupt number, A1 Interrupt */
#define _LVORemIntServer        (-174)
#define _LVOCause               (-180) /* A1 Interrupt */
#define _LVOAllocMem            (-198) /* D0 byte size, D1 MEMF_ flags -> D0 address */
#define _LVOFreeMem             (-210) /* A1 address, D0 byte size */
#define _LVOAvailMem            (-216)
#define _LVOFindTask            (-294)
#define _LVOSetSignal           (-306)
#define _LVOWait                (-318)
#define _LVOSignal              (-324)
#define _LVOAllocSignal         (-330)
#define _LVOFreeSignal          (-336)
#define _LVOOldOpenLibrary      (-408) /* A1 name -> D0 base */
#define _LVOCloseLibrary        (-414)
#define _LVOSetFunction         (-420)
#define _LVOOpenResource        (-498) /* A1 name -> D0 base */
#define _LVOTypeOfMem           (-534)
#define _LVOOpenLibrary         (-552) /* A1 name, D0 version -> D0 base */
#define _LVOCopyMem             (-624)
#define _LVOCacheClearU         (-636)
#define _LVOAllocVec            (-684)
#define _LVOFreeVec             (-690)

/* ---- Memory requirements (AllocMem D1) ------------------------------------- */
#define MEMF_ANY                0
#define MEMF_PUBLIC             (1 << 0)
#define MEMF_CHIP               (1 << 1)
#define MEMF_FAST               (1 << 2)
#define MEMF_CLEAR              (1 << 16)

/* ---- Node and Interrupt structures ------------------------------------------ */
#define LN_SUCC                 0  /* long */
#define LN_PRED                 4  /* long */
#define LN_TYPE                 8  /* byte */
#define LN_PRI                  9  /* byte */
#define LN_NAME                 10 /* long */
#define IS_DATA                 14 /* long: handed to IS_CODE in A1 */
#define IS_CODE                 18 /* long: the routine, ends with RTS */
#define IS_SIZE                 22

#define NT_INTERRUPT            2
#define NT_RESOURCE             8
#define NT_LIBRARY              9

/* Interrupt numbers for SetIntVector and AddIntServer. */
#define INTB_VERTB              5
#define INTB_AUD0               7
#define INTB_AUD1               8
#define INTB_AUD2               9
#define INTB_AUD3               10

/* ---- ExecBase fields ---------------------------------------------------------- */
#define LIB_VERSION             20  /* word */
#define AttnFlags               296 /* word: processor flags (1 here) */
#define VBlankFrequency         530 /* byte: 50 */

/* The host reads the offsets above and not the C types below: its pointers are not
   the 68000's. */
#if !defined(__ASSEMBLER__) && !defined(VARNO_HOST)
#include <stddef.h>

struct Node {
    struct Node *ln_Succ, *ln_Pred;
    unsigned char ln_Type;
    signed char ln_Pri;
    const char *ln_Name;
};

/* Handed to SetIntVector, AddIntServer and Cause; is_Code is entered with A1 =
   is_Data and returns with RTS. */
struct Interrupt {
    struct Node is_Node;
    void *is_Data;
    void (*is_Code)(void);
};

_Static_assert(offsetof(struct Interrupt, is_Data) == IS_DATA, "IS_DATA");
_Static_assert(offsetof(struct Interrupt, is_Code) == IS_CODE, "IS_CODE");
_Static_assert(sizeof(struct Interrupt) == IS_SIZE, "IS_SIZE");
#endif

#endif
