/* A plug-in whose header declares a version below the lowest accepted. */
#include "audio/plugins/MMPlugInDSP.h"

#include <stddef.h>

#define EXPORT __attribute__((visibility("default")))

static void* GetModule(int index) {
    (void)index;
    return NULL;
}
static winampDSPHeader header = {15, "Too Old", GetModule};

EXPORT winampDSPHeader* MMPlugInDSPGetHeader(void) {
    return &header;
}
