#include "audio/plugins/DynamicLibrary.h"

#include <dlfcn.h>

namespace corvane {

DynamicLibrary::DynamicLibrary(const std::string& path) {
    // Local symbols: two plug-ins exporting the same names must not see each other's.
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_ != nullptr)
        ::dlclose(handle_);
}

void* DynamicLibrary::Symbol(const char* name) const {
    return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
}

} // namespace corvane
