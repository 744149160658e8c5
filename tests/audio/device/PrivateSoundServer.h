#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace corvane::testing {

// A PulseAudio server of this test program's own, on a socket of its own,
// with a null sink `SinkName`: what the program plays into it, only the
// program hears, and killing the server touches no other test. Its runtime
// and state folders are private too, so it never meets the shared server.
// The folder and the server end with the object.
class PrivateSoundServer {
public:
    static constexpr const char* SinkName = "private_null";
    static constexpr const char* MonitorName = "private_null.monitor";

    PrivateSoundServer();
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // Starts it (again, after Kill) and waits until it takes connections.
    bool Start();
    // Ends it at once, as a crash would.
    void Kill();
    // Holds it (SIGSTOP) as an overloaded machine would, its socket still
    // listening, and lets it go on (SIGCONT).
    void Stop();
    void Continue();
    // Points this process's sound clients at it (set before PortAudio
    // starts); a client that finds no server never starts one of its own.
    void UseForThisProcess();
    // Its null sink becomes the default output and the sink's monitor the
    // default input: what the program plays, it records.
    bool MakeSinkTheDefault() const;

    std::string Socket() const { return (folder_ / "native").string(); }

private:
    bool Answers() const;
    bool Pactl(const std::string& arguments) const;

    std::filesystem::path folder_;
    pid_t pid_ = -1;
    bool used_ = false;
};

} // namespace corvane::testing
