/* Corvane Gain: lowers the level by 6 dB (half the amplitude), for trimming a
 * hot air chain. Engine layout. */
#include "audio/plugins/MMPlugInDSP.h"

#include <stddef.h>

#define EXPORT __attribute__((visibility("default")))

static void Config(MMDSPModule* module) {
    (void)module;
}

static int Init(MMDSPModule* module) {
    return module->channels >= 1 && module->channels <= 2 ? 0 : 1;
}

static int Restart(MMDSPModule* module) {
    (void)module;
    return 0;
}

static void ModifySamples(MMDSPModule* module, MMPlugInBuffer* buffer) {
    (void)module;
    short* samples = (short*)buffer->data;
    const size_t count = buffer->bufferLength / sizeof(short);
    for (size_t i = 0; i < count; ++i)
        samples[i] = (short)(samples[i] / 2);
}

static void Quit(MMDSPModule* module) {
    (void)module;
}

static MMDSPModule gain = {"Gain -6 dB", NULL, NULL, 0, 0, 0, Config, Init, Restart, ModifySamples,
                           NULL,         NULL, Quit};

static void* GetModule(int index) {
    return index == 0 ? &gain : NULL;
}

static winampDSPHeader header = {MM_PLUGIN_DSP_VERSION, "Corvane Gain", GetModule};

EXPORT winampDSPHeader* MMPlugInDSPGetHeader(void) {
    return &header;
}
