/* Corvane Echo: adds the signal back 250 ms later at half its level. Winamp
 * layout. */
#include "audio/plugins/MMPlugInDSP.h"

#include <stdlib.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

/* The longest delay line: 250 ms of stereo at 192 kHz. */
#define DELAY_CAPACITY (192000 / 4 * 2)

typedef struct {
    short line[DELAY_CAPACITY];
    int length; /* samples in the line for the current format */
    int at;
    int rate, channels;
} EchoState;

static void Config(winampDSPModule* module) {
    (void)module;
}

static int Init(winampDSPModule* module) {
    EchoState* state = calloc(1, sizeof(EchoState));
    if (state == NULL)
        return 1;
    module->userData = state;
    return 0;
}

static int ModifySamples(winampDSPModule* module, short* samples, int numsamples, int bps, int nch, int srate) {
    EchoState* state = module->userData;
    if (state == NULL || bps != 16 || nch < 1 || nch > 2 || srate <= 0 || srate > 192000)
        return numsamples;
    if (state->rate != srate || state->channels != nch) {
        state->rate = srate;
        state->channels = nch;
        state->length = srate / 4 * nch;
        state->at = 0;
        memset(state->line, 0, sizeof state->line);
    }
    const int count = numsamples * nch;
    for (int i = 0; i < count; ++i) {
        const int delayed = state->line[state->at];
        state->line[state->at] = samples[i];
        int mixed = samples[i] + delayed / 2;
        if (mixed > 32767)
            mixed = 32767;
        if (mixed < -32768)
            mixed = -32768;
        samples[i] = (short)mixed;
        if (++state->at == state->length)
            state->at = 0;
    }
    return numsamples;
}

static void Quit(winampDSPModule* module) {
    free(module->userData);
    module->userData = NULL;
}

static winampDSPModule echo = {"Echo 250 ms", NULL, NULL, Config, Init, ModifySamples, Quit, NULL};

static void* GetModule(int index) {
    return index == 0 ? &echo : NULL;
}

static winampDSPHeader header = {MM_PLUGIN_DSP_VERSION, "Corvane Echo", GetModule};

EXPORT winampDSPHeader* winampDSPGetHeader2(void) {
    return &header;
}
