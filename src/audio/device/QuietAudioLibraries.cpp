#include "audio/device/QuietAudioLibraries.h"

#include <dlfcn.h>
#include <mutex>

namespace corvane {
namespace {

// The libraries are looked up in the process rather than linked: they come
// with PortAudio's build (or not), and a library absent is simply not noisy.
template <typename Function> Function Lookup(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}

// snd_lib_error_handler_t
void IgnoreAlsa(const char*, int, const char*, int, const char*, ...) {}
// JACK's error and info callbacks
void IgnoreJack(const char*) {}

using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
using AlsaSetHandler = int (*)(AlsaHandler);
using JackSetFunction = void (*)(void (*)(const char*));

} // namespace

void QuietAudioLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (const auto set = Lookup<AlsaSetHandler>("snd_lib_error_set_handler"))
            set(&IgnoreAlsa);
        for (const char* name : {"jack_set_error_function", "jack_set_info_function"})
            if (const auto set = Lookup<JackSetFunction>(name))
                set(&IgnoreJack);
    });
}

} // namespace corvane
