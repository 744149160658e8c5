#include "audio/device/SoundServerProbe.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace corvane {
namespace {

// Sets (or, for nullptr, removes) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SoundServerProbe, FindsTheSocketAsTheClientLibraryDoes) {
    struct Case {
        const char* server;
        const char* pulseRuntime;
        const char* xdgRuntime;
        std::optional<std::string> socket;
    };
    const Case cases[] = {
        {"unix:/tmp/p/native", "/r", "/x", "/tmp/p/native"},
        {"/tmp/p/native", nullptr, nullptr, "/tmp/p/native"},
        {"{4711}unix:/tmp/p/native", nullptr, nullptr, "/tmp/p/native"},
        // The first local entry of a list; network servers cannot be asked.
        {"tcp:studio:4713 unix:/tmp/q/native", nullptr, nullptr, "/tmp/q/native"},
        {"tcp:studio:4713", "/r", "/x", std::nullopt},
        {"{4711", nullptr, nullptr, std::nullopt},
        {nullptr, "/r", "/x", "/r/native"},
        {nullptr, nullptr, "/x", "/x/pulse/native"},
        {nullptr, nullptr, nullptr, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server ? c.server : "(no PULSE_SERVER)");
        const ScopedEnv server("PULSE_SERVER", c.server);
        const ScopedEnv runtime("PULSE_RUNTIME_PATH", c.pulseRuntime);
        const ScopedEnv xdg("XDG_RUNTIME_DIR", c.xdgRuntime);
        EXPECT_EQ(SoundServerSocketPath(), c.socket);
    }
}

// A listener answers even when it does not accept (a stopped server); a
// socket file whose listener is gone, or no file, does not.
TEST(SoundServerProbe, ASocketAnswersOnlyWhileSomethingListens) {
    testing::TempFolder folder;
    const std::string path = (folder / "native").string();
    EXPECT_FALSE(SocketTakesConnections(path));
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    // More questions than the queue holds: a full queue still answers, and
    // no question blocks.
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(SocketTakesConnections(path)) << "question " << i;
    ::close(listener);
    EXPECT_FALSE(SocketTakesConnections(path));
    EXPECT_FALSE(SocketTakesConnections(std::string(200, 'x')));
}

} // namespace
} // namespace corvane
