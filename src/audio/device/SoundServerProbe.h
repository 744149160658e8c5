#pragma once

#include <optional>
#include <string>

namespace corvane {

// Tells a sound server that is slow from one that is gone. A PulseAudio
// server (or PipeWire's stand-in for it) that is overloaded or briefly
// stopped still has its socket listening, and the kernel accepts connections
// on it even while the server does not run; a server that died leaves no
// listener behind. Qt-free; any thread.

// The unix socket this process's sound clients reach the server on, found as
// the client library finds it: the first local entry of PULSE_SERVER
// ("unix:/path", "/path", each maybe after a "{machine}" prefix), else
// $PULSE_RUNTIME_PATH/native, else $XDG_RUNTIME_DIR/pulse/native. None when
// PULSE_SERVER names only network servers or nothing says where to look.
std::optional<std::string> SoundServerSocketPath();

// Whether something listens on the unix socket at `path`: a connection is
// accepted or waits in its queue. Never blocks; the connection is closed at
// once.
bool SocketTakesConnections(const std::string& path);

// Whether this process's sound server still answers; false when its socket
// is not known (nothing then says it is alive).
bool SoundServerAnswers();

} // namespace corvane
