#pragma once

#include <string>

namespace corvane::testing {

// A PulseAudio server of this test program's own, on its own socket, with a
// null sink as its default output and that sink's monitor as its default
// input: what the program plays, it records, and no other program's sound
// reaches it. PULSE_SERVER points this process at it (set before PortAudio
// starts); the server ends with the object.
class PrivateSoundServer {
public:
    PrivateSoundServer();
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    bool Running() const { return running_; }

private:
    bool Pactl(const std::string& arguments) const;

    std::string folder_;
    std::string socket_;
    int pid_ = -1;
    bool running_ = false;
};

} // namespace corvane::testing
