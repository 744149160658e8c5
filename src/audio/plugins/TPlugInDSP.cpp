#include "audio/plugins/TPlugInDSP.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <ladspa.h>

namespace corvane {
namespace {

#if UINTPTR_MAX == 0xFFFFFFFFu
// On a 32-bit build the structures have the interface's classic offsets.
static_assert(offsetof(winampDSPModule, Config) == 12 && offsetof(winampDSPModule, ModifySamples) == 20 &&
              offsetof(winampDSPModule, Quit) == 24);
static_assert(offsetof(MMDSPModule, sampleRate) == 12 && offsetof(MMDSPModule, Config) == 24 &&
              offsetof(MMDSPModule, ModifySamples) == 36 && offsetof(MMDSPModule, Quit) == 48);
#endif

enum class Layout { Engine, Winamp };

struct HeaderExport {
    const char* name;
    Layout layout;
};

// Looked up in this order: a library exporting both Winamp names is served
// with the engine's layout.
constexpr HeaderExport HeaderExports[] = {
    {"winampDSPGetHeader", Layout::Engine},
    {"MMPlugInDSPGetHeader", Layout::Engine},
    {"winampDSPGetHeader2", Layout::Winamp},
};

struct FoundHeader {
    winampDSPHeader* header = nullptr;
    Layout layout = Layout::Engine;
};

FoundHeader FindHeader(const DynamicLibrary& library) {
    for (const HeaderExport& e : HeaderExports) {
        if (auto* get = reinterpret_cast<winampDSPGetHeaderType>(library.Symbol(e.name))) {
            winampDSPHeader* header = nullptr;
            try {
                header = get();
            } catch (...) {
                header = nullptr;
            }
            return {header, e.layout};
        }
    }
    return {};
}

bool Acceptable(const winampDSPHeader* header) {
    return header != nullptr && header->version >= MM_PLUGIN_DSP_MIN_VERSION;
}

void* ModuleAt(const winampDSPHeader& header, int index) {
    if (header.getModule == nullptr)
        return nullptr;
    try {
        return header.getModule(index);
    } catch (...) {
        return nullptr;
    }
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Runs a call into the module; anything it raises counts as failure.
template <typename F> bool ModuleCall(F&& call) {
    try {
        return call();
    } catch (...) {
        return false;
    }
}

} // namespace

std::optional<std::unique_ptr<TPlugInDSP>> ReadPlugIn(const std::string& path) {
    const DynamicLibrary library(path);
    if (!library.Loaded())
        return std::nullopt;
    const FoundHeader found = FindHeader(library);
    if (found.header == nullptr) {
        if (const LADSPA_Descriptor* d = LadspaEffect::FindPlugin(library)) {
            auto plugIn = std::make_unique<TPlugInDSP>();
            plugIn->path = path;
            plugIn->fileName = Upper(path);
            plugIn->isLadspa = true;
            plugIn->description = LadspaEffect(*d).Name();
            plugIn->modules[0] = TDSPModule{plugIn->description, false, nullptr, nullptr, nullptr};
            plugIn->moduleCount = 1;
            return plugIn;
        }
    }
    if (!Acceptable(found.header))
        return std::nullopt;
    auto plugIn = std::make_unique<TPlugInDSP>();
    plugIn->path = path;
    plugIn->fileName = Upper(path);
    plugIn->description = found.header->description ? found.header->description : "";
    for (int i = 0; i < TPlugInDSP::MaxModules; ++i) {
        void* module = ModuleAt(*found.header, i);
        if (module == nullptr)
            break;
        // Both layouts begin with the description.
        const char* name = *static_cast<char**>(module);
        plugIn->modules[static_cast<size_t>(i)] =
            TDSPModule{name ? name : "", false, nullptr, nullptr, nullptr};
        plugIn->moduleCount = i + 1;
    }
    return plugIn;
}

bool OpenPlugInModules(TPlugInDSP& plugIn) {
    auto library = std::make_unique<DynamicLibrary>(plugIn.path);
    if (!library->Loaded())
        return false;
    if (plugIn.isLadspa) {
        const LADSPA_Descriptor* d = LadspaEffect::FindPlugin(*library);
        if (d == nullptr)
            return false;
        plugIn.ladspaEffect = std::make_unique<LadspaEffect>(*d);
        plugIn.modules[0].initialised = false;
        plugIn.modules[0].ladspa = plugIn.ladspaEffect.get();
        plugIn.moduleCount = 1;
        plugIn.library = std::move(library);
        plugIn.opened = true;
        return true;
    }
    const FoundHeader found = FindHeader(*library);
    if (!Acceptable(found.header))
        return false; // the library goes again with `library`
    int count = 0;
    for (; count < TPlugInDSP::MaxModules; ++count) {
        void* module = ModuleAt(*found.header, count);
        if (module == nullptr)
            break;
        TDSPModule& entry = plugIn.modules[static_cast<size_t>(count)];
        entry.initialised = false;
        if (found.layout == Layout::Engine) {
            auto* m = static_cast<MMDSPModule*>(module);
            m->hwndParent = plugIn.parentWindow;
            m->hDllInstance = library->Handle();
            entry.engine = m;
            entry.winamp = nullptr;
        } else {
            auto* m = static_cast<winampDSPModule*>(module);
            m->hwndParent = plugIn.parentWindow;
            m->hDllInstance = library->Handle();
            entry.winamp = m;
            entry.engine = nullptr;
        }
    }
    plugIn.moduleCount = count;
    plugIn.header = found.header;
    plugIn.library = std::move(library);
    plugIn.opened = true;
    return true;
}

bool InitPlugInModule(TDSPModule& module, const WaveFormat* format, int bufferBytes, bool restart) {
    if (bufferBytes <= 0)
        return false;
    if (!restart && module.initialised)
        return true;
    if (module.engine != nullptr) {
        MMDSPModule& m = *module.engine;
        m.sampleRate = format ? static_cast<int32_t>(format->samplesPerSec) : 22050;
        m.channels = format ? format->channels : 1;
        m.samplesPerBuffer = bufferBytes / (2 * std::max<int32_t>(m.channels, 1));
        if (restart)
            return m.Restart == nullptr || ModuleCall([&] { return m.Restart(&m) == 0; });
        if (m.Init == nullptr)
            return false;
        module.initialised = ModuleCall([&] { return m.Init(&m) == 0; });
        return module.initialised;
    }
    if (module.ladspa != nullptr) {
        if (restart)
            return module.ladspa->Restart();
        const WaveFormat fallback = PcmWaveFormat(16, 1, 22050);
        module.initialised = module.ladspa->Init(format ? *format : fallback, bufferBytes);
        return module.initialised;
    }
    if (module.winamp != nullptr) {
        winampDSPModule& m = *module.winamp;
        if (restart)
            return module.initialised;
        if (m.Init == nullptr)
            return false;
        module.initialised = ModuleCall([&] { return m.Init(&m) == 0; });
        return module.initialised;
    }
    return false;
}

uint32_t ProcessWithPlugInModule(TDSPModule& module, const WaveFormat& format, uint8_t* data, uint32_t bytes,
                                 uint32_t capacity, bool& failed) {
    failed = false;
    if (!module.initialised)
        return 0;
    if (module.engine != nullptr) {
        MMDSPModule& m = *module.engine;
        if (m.ModifySamples == nullptr) {
            failed = true;
            return 0;
        }
        MMPlugInBuffer buffer{reinterpret_cast<char*>(data), bytes, 0};
        failed = !ModuleCall([&] {
            m.ModifySamples(&m, &buffer);
            return true;
        });
        return failed ? 0 : bytes;
    }
    if (module.ladspa != nullptr)
        return module.ladspa->Process(data, bytes);
    if (module.winamp != nullptr) {
        winampDSPModule& m = *module.winamp;
        const uint32_t frame = std::max<uint32_t>(format.bitsPerSample / 8u * format.channels, 1u);
        if (m.ModifySamples == nullptr) {
            failed = true;
            return 0;
        }
        int count = 0;
        const bool ok = ModuleCall([&] {
            count = m.ModifySamples(&m, reinterpret_cast<short*>(data), static_cast<int>(bytes / frame),
                                    format.bitsPerSample, format.channels,
                                    static_cast<int>(format.samplesPerSec));
            return true;
        });
        if (!ok) {
            failed = true;
            return 0;
        }
        // A count below zero or beyond the buffer is the module's fault: keep
        // no more than it was given, and say so.
        const uint64_t result = count < 0 ? 0 : static_cast<uint64_t>(count) * frame;
        if (count < 0 || result > capacity) {
            failed = true;
            return count < 0 ? 0 : bytes;
        }
        return static_cast<uint32_t>(result);
    }
    return 0;
}

void QuitPlugIn(TPlugInDSP& plugIn) {
    if (plugIn.opened) {
        for (int i = 0; i < plugIn.moduleCount; ++i) {
            TDSPModule& module = plugIn.modules[static_cast<size_t>(i)];
            if (!module.initialised)
                continue;
            ModuleCall([&] {
                if (module.ladspa)
                    module.ladspa->Quit();
                else if (module.engine && module.engine->Quit)
                    module.engine->Quit(module.engine);
                else if (module.winamp && module.winamp->Quit)
                    module.winamp->Quit(module.winamp);
                return true;
            });
            module.initialised = false;
        }
    }
    for (int i = 0; i < plugIn.moduleCount; ++i) {
        plugIn.modules[static_cast<size_t>(i)].engine = nullptr;
        plugIn.modules[static_cast<size_t>(i)].winamp = nullptr;
        plugIn.modules[static_cast<size_t>(i)].ladspa = nullptr;
    }
    // The plug-in's code is in the library: gone before it.
    plugIn.ladspaEffect.reset();
    plugIn.header = nullptr;
    plugIn.opened = false;
    plugIn.library.reset();
}

} // namespace corvane
