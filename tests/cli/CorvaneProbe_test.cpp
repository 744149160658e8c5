#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane {
namespace {

using testing::ReadText;
using testing::TempFolder;
using testing::WriteText;

// Every file the probe refuses is named with the reason, not only with "This
// is not a valid Audiofile"; a FIFO is refused at once rather than waited on.
TEST(Probe, EachRefusalSaysWhy) {
    TempFolder folder;
    WriteText(folder / "text.wav", "hello, this is text");
    WriteText(folder / "cut.wav", std::string("RIFF\x10\x00\x00\x00WAVEjunk", 16));
    std::filesystem::create_directory(folder / "folder.wav");
    ASSERT_EQ(::mkfifo((folder / "fifo.wav").c_str(), 0600), 0);
    // A file it may not read, as user "nobody" when the test runs as root
    // (root reads everything).
    WriteText(folder / "secret.wav", "RIFF");
    std::filesystem::permissions(folder / "secret.wav", std::filesystem::perms::none);
    std::filesystem::permissions(folder.Path(), std::filesystem::perms::all);
    const std::string asNobody =
        ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::pair<const char*, const char*> cases[] = {
        {"text.wav", "neither a RIFF WAVE file nor MPEG audio"},
        {"cut.wav", "Invalid wave file"},
        {"folder.wav", "is a folder"},
        {"fifo.wav", "FIFO"},
        {"absent.wav", "does not exist"},
        {"secret.wav", "it cannot be read: Permission denied"},
    };
    for (const auto& [name, reason] : cases) {
        const std::filesystem::path file = folder / name;
        const std::string command =
            asNobody + CORVANE_PROBE + " " + file.string() + " >/dev/null 2>" + (folder / "err.txt").string();
        const int status = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << name;
        const std::string err = ReadText(folder / "err.txt");
        EXPECT_NE(err.find(file.string() + ": "), std::string::npos) << err;
        EXPECT_NE(err.find(reason), std::string::npos) << err;
    }
}

} // namespace
} // namespace corvane
