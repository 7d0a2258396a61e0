/* The player kit: what a player written in C needs to play a format through the
   DeliTracker/EaglePlayer interface. The kit's glue (m68k/kit) is the player's
   header and entry points; the player writes plain C functions:

       #include <varno/kit.h>

       KIT_PLAYER("Future Composer", "Future Composer 1.3/1.4 replay for Varno", "fc.", PLAYERF_SONGEND);

       long player_check(const uint8_t *data, uint32_t present, uint32_t size) { ... return 0 to accept; }
       long player_init(const uint8_t *data, uint32_t size)   { ... return 0 on success; }
       void player_start(unsigned subsong)                      { ... set up a subsong, counted from 0 }
       void player_tick(void)                                   { ... one tick: write Paula's registers }

   and, where it needs them, player_subsongs, player_stop, player_end and
   player_info (weak defaults below). The tick runs from CIA-B timer A at 50 Hz
   until kit_set_timer changes the rate. A player that finds its song's end calls
   kit_song_end once per pass and declares PLAYERF_SONGEND, so that the host waits
   for that signal instead of cutting the song at its play time.

   Build it with varno_player() (cmake/M68k.cmake), which adds the kit's glue and
   packs the player into the default player archive. C only. */
#ifndef VARNO_KIT_H
#define VARNO_KIT_H

#include <stddef.h>
#include <stdint.h>

#include <varno/chips.h>
#include <varno/delibase.h>
#include <varno/exec.h>
#include <varno/tags.h>

/* ---- What the player writes ------------------------------------------------ */

/* Accepts (0) or refuses (non-zero) a module. While the host checks a file, only
   the first `present` bytes are at data (at most KIT_CHECK_WINDOW) while size is
   the whole file's: a check reads nothing at or past data + present. */
long player_check(const uint8_t *data, uint32_t present, uint32_t size);
/* Prepares the whole module (all `size` bytes present); 0 on success. */
long player_init(const uint8_t *data, uint32_t size);
/* Number of subsongs, at least 1 (default 1). */
unsigned player_subsongs(void);
/* Starts subsong n (0 .. player_subsongs() - 1) from its beginning. */
void player_start(unsigned subsong);
/* One tick of the replay. */
void player_tick(void);
/* Silences the song (default: audio DMA off, volumes 0). */
void player_stop(void);
/* Releases what player_init took (default: nothing). */
void player_end(void);
/* Adds what the player knows of the song with kit_info_text, kit_info_name and
   kit_info_number; called once the module is set up. */
void player_info(void);

/* Declares the player: its name, the credit for the replay routine (shown as the
   player's creator, never as the song's author), the module-information prefix
   that names the format ("mod." gives MOD) and the DTP_Flags bits. */
#define KIT_PLAYER(name, creator, prefix, flags)                                                        \
    const char kit_player_name[] = name;                                                               \
    const char kit_player_creator[] = creator;                                                         \
    const char kit_player_prefix[] = prefix;                                                           \
    const unsigned long kit_tags[] = {                                                                 \
        DTP_PlayerName,     (unsigned long)kit_player_name,  DTP_Creator,     (unsigned long)kit_player_creator, \
        DTP_Flags,          (flags),                         DTP_DeliBase,    (unsigned long)&kit_base,  \
        DTP_Check2,         (unsigned long)kit_check,        DTP_InitPlayer,  (unsigned long)kit_init_player, \
        DTP_EndPlayer,      (unsigned long)kit_end_player,   DTP_InitSound,   (unsigned long)kit_init_sound, \
        DTP_EndSound,       (unsigned long)kit_end_sound,    DTP_Interrupt,   (unsigned long)kit_interrupt, \
        DTP_SubSongRange,   (unsigned long)kit_subsong_range, EP_GetModuleInfo, (unsigned long)kit_module_info, \
        TAG_DONE}

/* ---- What the kit gives ----------------------------------------------------- */

/* Only the first 128 KB of a file are present while the host checks it. */
#define KIT_CHECK_WINDOW (dtg_CheckWindow + 0UL)

/* The player-interface structure, written by the host when the player loads. */
extern struct DeliBase *kit_base;

/* The current subsong as the host set it (the word at dtg_SndNum). */
static inline unsigned kit_subsong(void) { return kit_base->SndNum; }

/* Callbacks of the host. */
void kit_song_end(void);                 /* the song has ended (once per pass) */
void kit_set_timer(uint16_t cia_ticks);  /* the tick length in CIA ticks (14188 = 50 Hz) */
long kit_audio_alloc(void);              /* 0 when the audio channels are ours */
void kit_audio_free(void);
void kit_wait_audio_dma(void);           /* after stopping DMA, before restarting it */
/* Loads the file `name` from the module's folder as the next entry of the list of
   loaded files (entry 0 is the module); 0 on success. */
long kit_load_file(const char *name);
/* Entry n of the list of loaded files, with its size; null past the last. */
const uint8_t *kit_list_data(uint32_t index, uint32_t *size);

/* CIA timer ticks for a tick rate: 709379 / hz on a PAL Amiga. BPM of a tracker
   (ticks of 2.5 / bpm seconds): 1773447 / bpm. */
#define KIT_TIMER_HZ(hz) ((uint16_t)(709379UL / (hz)))
#define KIT_TIMER_BPM(bpm) ((uint16_t)(1773447UL / (bpm)))

/* Module information, added from player_info. Texts are copied (at most 255
   characters, stopping at a zero byte), so names that fill a fixed-size field of
   the module without a terminating zero are safe. */
void kit_info_text(unsigned long tag, const char *text);
void kit_info_name(unsigned long tag, const uint8_t *bytes, unsigned max);
void kit_info_number(unsigned long tag, unsigned long value);

/* ---- Module data ------------------------------------------------------------- */

/* Big-endian reads at any address: module data need not be word aligned, and the
   68000 faults on a word read at an odd address. The bytes are read one by one
   through a volatile pointer, since the compiler would otherwise merge them into
   one word or long read, which is only safe on later processors. */
static inline uint16_t kit_be16(const uint8_t *p)
{
    const volatile uint8_t *v = p;
    return (uint16_t)(v[0] << 8 | v[1]);
}
static inline uint32_t kit_be32(const uint8_t *p)
{
    const volatile uint8_t *v = p;
    return (uint32_t)v[0] << 24 | (uint32_t)v[1] << 16 | (uint32_t)v[2] << 8 | v[3];
}
/* True when `length` bytes at `offset` lie inside `size` bytes (no overflow). */
static inline int kit_fits(uint32_t offset, uint32_t length, uint32_t size)
{
    return offset <= size && length <= size - offset;
}
/* True when the 4 bytes at p are the text id, such as "SMOD". */
static inline int kit_is_id(const uint8_t *p, const char *id)
{
    return p[0] == (uint8_t)id[0] && p[1] == (uint8_t)id[1] && p[2] == (uint8_t)id[2] && p[3] == (uint8_t)id[3];
}

/* ---- The glue's entry points (named by KIT_PLAYER's tag list) ----------------- */
long kit_check(void);
long kit_init_player(void);
long kit_end_player(void);
long kit_init_sound(void);
long kit_end_sound(void);
long kit_interrupt(void);
void kit_subsong_range(void);
void kit_module_info(void);

#endif
