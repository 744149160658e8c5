/* A plug-in with a valid header that hands out no module. */
#include "audio/plugins/MMPlugInDSP.h"

#include <stddef.h>

#define EXPORT __attribute__((visibility("default")))

static void* GetModule(int index) {
    (void)index;
    return NULL;
}
static winampDSPHeader header = {MM_PLUGIN_DSP_VERSION, "Empty", GetModule};

EXPORT winampDSPHeader* winampDSPGetHeader2(void) {
    return &header;
}
