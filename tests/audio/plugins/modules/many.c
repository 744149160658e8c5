/* 150 engine-layout modules, module i adding i to every sample; exports both
 * Winamp header names, the second handing out Winamp-layout modules that
 * would negate the samples. */
#include "audio/plugins/MMPlugInDSP.h"

#include <stdio.h>

#define EXPORT __attribute__((visibility("default")))
#define COUNT 150

static char names[COUNT][16];
static MMDSPModule modules[COUNT];
static int inits[COUNT];
static int restarts[COUNT];

static int Init(MMDSPModule* m) {
    ++inits[m - modules];
    return 0;
}
static int Restart(MMDSPModule* m) {
    ++restarts[m - modules];
    return 0;
}
static void Modify(MMDSPModule* m, MMPlugInBuffer* b) {
    short* s = (short*)b->data;
    for (unsigned i = 0; i < b->bufferLength / 2; ++i)
        s[i] = (short)(s[i] + (m - modules));
}
static void* GetModule(int index) {
    if (index < 0 || index >= COUNT)
        return NULL;
    MMDSPModule* m = &modules[index];
    snprintf(names[index], sizeof names[index], "Module %d", index);
    m->description = names[index];
    m->Init = Init;
    m->Restart = Restart;
    m->ModifySamples = Modify;
    return m;
}
static winampDSPHeader header = {MM_PLUGIN_DSP_VERSION, "Many Modules", GetModule};

static int Negate(winampDSPModule* m, short* s, int n, int bps, int nch, int srate) {
    (void)m, (void)bps, (void)srate;
    for (int i = 0; i < n * nch; ++i)
        s[i] = (short)-s[i];
    return n;
}
static int WinampInit(winampDSPModule* m) {
    (void)m;
    return 0;
}
static winampDSPModule negate = {"Negate", NULL, NULL, NULL, WinampInit, Negate, NULL, NULL};
static void* GetWinampModule(int index) {
    return index == 0 ? &negate : NULL;
}
static winampDSPHeader header2 = {MM_PLUGIN_DSP_VERSION, "Winamp Modules", GetWinampModule};

EXPORT winampDSPHeader* winampDSPGetHeader(void) {
    return &header;
}
EXPORT winampDSPHeader* winampDSPGetHeader2(void) {
    return &header2;
}
EXPORT int TestInits(int index) {
    return inits[index];
}
EXPORT int TestRestarts(int index) {
    return restarts[index];
}
