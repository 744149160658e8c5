#pragma once

#include <string>

namespace corvane {

// A shared library loaded at run time (dlopen): it stays loaded while the
// object lives. Main thread.
class DynamicLibrary {
public:
    // Loads the library; Loaded() tells whether it worked.
    explicit DynamicLibrary(const std::string& path);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    void* Handle() const { return handle_; }
    // The address of an exported symbol, or nullptr.
    void* Symbol(const char* name) const;

private:
    void* handle_ = nullptr;
};

} // namespace corvane
