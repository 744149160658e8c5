/* Winamp-layout modules: 0 doubles the sample count (every frame twice),
 * 1 answers an absurd count, 2 a negative one, 3 fails to initialise. */
#include "audio/plugins/MMPlugInDSP.h"

#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static int Init(winampDSPModule* m) {
    (void)m;
    return 0;
}
static int Refuse(winampDSPModule* m) {
    (void)m;
    return 1;
}
static int Double(winampDSPModule* m, short* s, int n, int bps, int nch, int srate) {
    (void)m, (void)bps, (void)srate;
    for (int f = n - 1; f >= 0; --f) {
        memmove(s + (2 * f + 1) * nch, s + f * nch, (size_t)nch * sizeof(short));
        memmove(s + 2 * f * nch, s + f * nch, (size_t)nch * sizeof(short));
    }
    return 2 * n;
}
static int Absurd(winampDSPModule* m, short* s, int n, int bps, int nch, int srate) {
    (void)m, (void)s, (void)n, (void)bps, (void)nch, (void)srate;
    return 1 << 28;
}
static int Negative(winampDSPModule* m, short* s, int n, int bps, int nch, int srate) {
    (void)m, (void)s, (void)n, (void)bps, (void)nch, (void)srate;
    return -5;
}
static winampDSPModule modules[] = {
    {"Double", NULL, NULL, NULL, Init, Double, NULL, NULL},
    {"Absurd", NULL, NULL, NULL, Init, Absurd, NULL, NULL},
    {"Negative", NULL, NULL, NULL, Init, Negative, NULL, NULL},
    {"Refuses", NULL, NULL, NULL, Refuse, Double, NULL, NULL},
};
static void* GetModule(int index) {
    return index >= 0 && index < 4 ? &modules[index] : NULL;
}
static winampDSPHeader header = {MM_PLUGIN_DSP_VERSION, "Doubling", GetModule};

EXPORT winampDSPHeader* winampDSPGetHeader2(void) {
    return &header;
}
