#pragma once

#include "audio/chain/WaveFormat.h"
#include "audio/plugins/DynamicLibrary.h"
#include "audio/plugins/LadspaEffect.h"
#include "audio/plugins/MMPlugInDSP.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace corvane {

// One module of a loaded plug-in. While the modules are open exactly one of
// the pointers is set, by the layout the library's header gave (or the
// LADSPA plug-in of a LADSPA library).
struct TDSPModule {
    std::string name;
    bool initialised = false;
    MMDSPModule* engine = nullptr;
    winampDSPModule* winamp = nullptr;
    LadspaEffect* ladspa = nullptr;
};

// A plug-in library: its header's description and its modules. The library
// is loaded only while the modules are open.
struct TPlugInDSP {
    static constexpr int MaxModules = 100;

    std::string fileName; // upper-cased path, as the record shows it
    std::string path;     // as chosen: file names here tell letter cases apart
    void* parentWindow = nullptr;
    std::unique_ptr<DynamicLibrary> library;
    std::string description;
    std::array<TDSPModule, MaxModules> modules;
    int moduleCount = 0;
    bool opened = false;
    winampDSPHeader* header = nullptr;
    // A LADSPA library: its one module is the library's first plug-in with
    // one or two audio inputs and as many outputs.
    bool isLadspa = false;
    std::unique_ptr<LadspaEffect> ladspaEffect;
};

// Reads a plug-in library's description and module names, then unloads it
// again; none when the file is no plug-in (no header export, no header, or
// a version below 16) and no LADSPA library with a usable plug-in either.
std::optional<std::unique_ptr<TPlugInDSP>> ReadPlugIn(const std::string& path);
// Loads the library again and opens its modules; false when that failed (the
// library is then unloaded).
bool OpenPlugInModules(TPlugInDSP& plugIn);
// Initialises (or, with `restart`, restarts) a module for the chain's format
// (none: 22050 Hz mono) and buffer size in bytes; false on failure.
bool InitPlugInModule(TDSPModule& module, const WaveFormat* format, int bufferBytes, bool restart);
// Processes `bytes` bytes of 16-bit PCM in place in `data` (room for
// `capacity` bytes) and returns the bytes the module leaves. `failed` tells
// that the module failed: it raised an error, lacks the function, or
// answered a count below zero, or one beyond the room (then cut to the
// bytes it was given).
uint32_t ProcessWithPlugInModule(TDSPModule& module, const WaveFormat& format, uint8_t* data, uint32_t bytes,
                                 uint32_t capacity, bool& failed);
// Quits every initialised module and unloads the library.
void QuitPlugIn(TPlugInDSP& plugIn);

} // namespace corvane
