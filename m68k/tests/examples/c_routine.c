/* Proves C support: 32-bit multiply and divide (the runtime's __mulsi3, __divsi3,
   __udivsi3, __modsi3, __umodsi3), a structure copy (memcpy), and data, read-only
   data and BSS from C. Called from c_entry.S. */

struct voice {
    unsigned short period;
    unsigned short volume;
    const signed char *sample;
    unsigned long length;
};

static const signed char silence[4];
static struct voice voices[4];
unsigned long ticks = 1;

/* A period for a note in a 12-step scale, as trackers compute it. */
long scaled_period(long base, long numerator, long denominator)
{
    return base * numerator / denominator + base % denominator;
}

unsigned long split_ticks(unsigned long total, unsigned long per_row)
{
    return total / per_row + total % per_row;
}

void reset_voice(int channel, const struct voice *initial)
{
    voices[channel] = *initial;
    if (voices[channel].sample == 0) {
        voices[channel].sample = silence;
    }
    ticks *= 3;
}
