/* The kit's C side: the player's entry points as the host calls them, defaults for
   what a player may leave out, the callbacks in C terms and the module
   information list. */
#include <varno/kit.h>

struct DeliBase *kit_base;

/* The glue's wrappers: the argument is passed in D0 and A0. */
long kit_call_song_end(void);
long kit_call_set_timer(void);
long kit_call_audio_alloc(void);
long kit_call_audio_free(void);
long kit_call_wait_audio_dma(void);
long kit_call_get_list_data(uint32_t index);
long kit_call_load_file(void);
long kit_call_copy_dir(void);
long kit_call_copy_string(const char *text);
extern const uint8_t *kit_result_a0;

extern const char kit_player_prefix[];

/* Module information is only asked of a module that player_init accepted. */
static int module_ready;

long kit_check(void)
{
    const uint32_t size = kit_base->ChkSize;
    const uint32_t present = size < KIT_CHECK_WINDOW ? size : KIT_CHECK_WINDOW;
    if (kit_base->ChkData == 0 || size == 0) return -1;
    return player_check(kit_base->ChkData, present, size) == 0 ? 0 : -1;
}

long kit_init_player(void)
{
    module_ready = player_init(kit_base->ChkData, kit_base->ChkSize) == 0;
    return module_ready ? 0 : -1;
}

long kit_end_player(void)
{
    if (module_ready) player_end();
    module_ready = 0;
    return 0;
}

long kit_init_sound(void)
{
    if (module_ready) player_start(kit_subsong());
    return 0;
}

long kit_end_sound(void)
{
    if (module_ready) player_stop();
    return 0;
}

long kit_interrupt(void)
{
    if (module_ready) player_tick();
    return 0;
}

__attribute__((weak)) unsigned player_subsongs(void) { return 1; }

__attribute__((weak)) void player_stop(void)
{
    unsigned i;
    custom.dmacon = DMAF_AUDIO;
    for (i = 0; i < 4; ++i) custom.aud[i].ac_vol = 0;
}

__attribute__((weak)) void player_end(void) {}

__attribute__((weak)) void player_info(void) {}

void kit_song_end(void) { kit_call_song_end(); }

void kit_set_timer(uint16_t cia_ticks)
{
    kit_base->Timer = cia_ticks;
    kit_call_set_timer();
}

long kit_audio_alloc(void) { return kit_call_audio_alloc(); }
void kit_audio_free(void) { kit_call_audio_free(); }
void kit_wait_audio_dma(void) { kit_call_wait_audio_dma(); }

long kit_load_file(const char *name)
{
    kit_base->PathArrayPtr[0] = 0;
    kit_call_copy_dir();
    kit_call_copy_string(name);
    return kit_call_load_file();
}

const uint8_t *kit_list_data(uint32_t index, uint32_t *size)
{
    const uint32_t bytes = (uint32_t)kit_call_get_list_data(index);
    if (size) *size = kit_result_a0 ? bytes : 0;
    return kit_result_a0;
}

/* ---- Module information ---------------------------------------------------- */

#define INFO_PAIRS 320
#define INFO_TEXT 16384
#define INFO_TEXT_MAX 255

static unsigned long info[2 * INFO_PAIRS + 2];
static unsigned info_pairs;
static char info_text[INFO_TEXT];
static unsigned info_text_used;

void kit_info_number(unsigned long tag, unsigned long value)
{
    if (info_pairs == INFO_PAIRS) return;
    info[2 * info_pairs] = tag;
    info[2 * info_pairs + 1] = value;
    ++info_pairs;
}

void kit_info_name(unsigned long tag, const uint8_t *bytes, unsigned max)
{
    char *text = info_text + info_text_used;
    unsigned n = 0;
    if (max > INFO_TEXT_MAX) max = INFO_TEXT_MAX;
    if (info_text_used + max + 1 > INFO_TEXT || info_pairs == INFO_PAIRS) return;
    while (n < max && bytes[n] != 0) {
        text[n] = (char)bytes[n];
        ++n;
    }
    /* Trackers pad names with spaces. */
    while (n > 0 && text[n - 1] == ' ') --n;
    text[n] = 0;
    info_text_used += n + 1;
    kit_info_number(tag, (unsigned long)text);
}

void kit_info_text(unsigned long tag, const char *text) { kit_info_name(tag, (const uint8_t *)text, INFO_TEXT_MAX); }

/* Called by the glue for EP_GetModuleInfo: the format prefix always (the host asks
   when the player loads, before any module), the rest once a module is set up. */
const unsigned long *kit_build_info(void)
{
    info_pairs = 0;
    info_text_used = 0;
    kit_info_number(MI_Prefix, (unsigned long)kit_player_prefix);
    if (module_ready) player_info();
    info[2 * info_pairs] = TAG_DONE;
    return info;
}
