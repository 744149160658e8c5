// Linked into every test program that opens PortAudio.
//
// PortAudio opens every ALSA device when it starts, and some of ALSA's
// plug-ins (JACK, OSS, PulseAudio) keep memory until the process ends; once
// ALSA unloads them the leak checker can no longer name them. Keeping the
// plug-ins loaded lets it name, and pass over, what is theirs.
#include <dlfcn.h>
#include <glob.h>

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libasound_module\nleak:libjack\nleak:libpulse\nleak:libasound.so\n";
}

namespace {

const bool AlsaPluginsKept = [] {
    glob_t found{};
    if (glob("/usr/lib/*/alsa-lib/libasound_module_*.so", 0, nullptr, &found) == 0)
        for (size_t i = 0; i < found.gl_pathc; ++i)
            dlopen(found.gl_pathv[i], RTLD_LAZY | RTLD_NODELETE);
    globfree(&found);
    return true;
}();

} // namespace
