/* The effect plug-in interface the console's DSP plug-in host loads: a shared
 * library exports one function returning its header, and the header hands
 * out its modules one by one. Two module layouts exist: the published Winamp
 * DSP layout (export "winampDSPGetHeader2") and the engine's own, which also
 * tells the module the sample rate, channels and buffer size and can restart
 * it (exports "winampDSPGetHeader" or "MMPlugInDSPGetHeader"). Every field is
 * of its natural C type, so on a 32-bit build the structures have the
 * classic offsets (noted per field); on 64-bit the pointers widen. Plain C,
 * usable by plug-in authors without the rest of the console. */
#ifndef CORVANE_MM_PLUGIN_DSP_H
#define CORVANE_MM_PLUGIN_DSP_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The header version plug-ins declare, and the lowest the host accepts. */
#define MM_PLUGIN_DSP_VERSION 0x20
#define MM_PLUGIN_DSP_MIN_VERSION 16

/* The buffer an engine-layout module processes in place: the first fields of
 * the sound system's wave header. */
typedef struct MMPlugInBuffer {
    char* data;             /* the samples, 16-bit PCM, interleaved */
    uint32_t bufferLength;  /* valid bytes */
    uint32_t bytesRecorded; /* unused by the host */
} MMPlugInBuffer;

/* A module of the Winamp layout. */
typedef struct winampDSPModule {
    char* description;                              /* 0 */
    void* hwndParent;                               /* 4: the host's window, or none */
    void* hDllInstance;                             /* 8: the library's handle */
    void (*Config)(struct winampDSPModule* module); /* 12 */
    int (*Init)(struct winampDSPModule* module);    /* 16: 0 on success */
    /* Processes numsamples frames in place; the buffer holds room for twice as
     * many. Returns the frames it leaves there. */
    int (*ModifySamples)(struct winampDSPModule* module, short* samples, int numsamples, int bps, int nch,
                         int srate);              /* 20 */
    void (*Quit)(struct winampDSPModule* module); /* 24 */
    void* userData;                               /* 28: the module's own */
} winampDSPModule;

/* A module of the engine's layout. */
typedef struct MMDSPModule {
    char* description;                          /* 0 */
    void* hwndParent;                           /* 4 */
    void* hDllInstance;                         /* 8 */
    int32_t sampleRate;                         /* 12: set by the host before Init and Restart */
    int32_t channels;                           /* 16 */
    int32_t samplesPerBuffer;                   /* 20: frames per buffer */
    void (*Config)(struct MMDSPModule* module); /* 24 */
    int (*Init)(struct MMDSPModule* module);    /* 28: 0 on success */
    int (*Restart)(struct MMDSPModule* module); /* 32: 0 on success */
    void (*ModifySamples)(struct MMDSPModule* module, MMPlugInBuffer* buffer); /* 36: in place */
    void* reserved1;                                                           /* 40 */
    void* reserved2;                                                           /* 44 */
    void (*Quit)(struct MMDSPModule* module);                                  /* 48 */
} MMDSPModule;

/* The header. getModule returns module number `index`, or none past the last. */
typedef struct winampDSPHeader {
    int32_t version;               /* 0: at least MM_PLUGIN_DSP_MIN_VERSION */
    char* description;             /* 4 */
    void* (*getModule)(int index); /* 8 */
} winampDSPHeader;

typedef winampDSPHeader* (*winampDSPGetHeaderType)(void);

#ifdef __cplusplus
}
#endif

#endif
