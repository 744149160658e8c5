#pragma once

namespace corvane {

// Sets a re-entrancy flag for the length of an operation and gives it back its
// earlier value afterwards, whatever happens, so nested operations restore
// the outer one's setting. Main thread.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = saved_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool saved_;
};

} // namespace corvane
