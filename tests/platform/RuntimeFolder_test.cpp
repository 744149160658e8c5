#include "platform/RuntimeFolder.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

namespace fs = std::filesystem;

// Keeps the process's XDG_RUNTIME_DIR and gives it back afterwards.
class RuntimeFolder : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* value = std::getenv("XDG_RUNTIME_DIR"))
            saved_ = value;
        ::unsetenv("XDG_RUNTIME_DIR");
    }
    void TearDown() override {
        if (saved_)
            ::setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }
    static std::string Variable() {
        const char* value = std::getenv("XDG_RUNTIME_DIR");
        return value ? value : "<unset>";
    }
    static unsigned Mode(const fs::path& path) {
        struct stat info {};
        EXPECT_EQ(::lstat(path.c_str(), &info), 0);
        return info.st_mode & 07777;
    }

    TempFolder temp;
    fs::path expected = fs::path(temp.Path()) / ("runtime-" + std::to_string(::getuid()));

private:
    std::optional<std::string> saved_;
};

TEST_F(RuntimeFolder, ASessionWithoutOneGetsAPrivateFolderOfItsOwn) {
    EXPECT_EQ(EnsureRuntimeFolder(temp.Path()), expected);
    EXPECT_EQ(Variable(), expected.string());
    EXPECT_EQ(Mode(expected), 0700u);

    // An existing folder of ours that others could read is closed to them.
    ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_EQ(::chmod(expected.c_str(), 0755), 0);
    EXPECT_EQ(EnsureRuntimeFolder(temp.Path()), expected);
    EXPECT_EQ(Mode(expected), 0700u);

    // A session's own folder is left as it is.
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(EnsureRuntimeFolder(temp.Path()), fs::path("/run/user/4242"));
    EXPECT_EQ(Variable(), "/run/user/4242");
}

// Something put in its place first (in a /tmp every user writes) is never
// taken: not through a link, not a file.
TEST_F(RuntimeFolder, ALinkOrAFileInItsPlaceIsNotUsed) {
    const fs::path elsewhere = fs::path(temp.Path()) / "elsewhere";
    fs::create_directory(elsewhere);
    fs::create_directory_symlink(elsewhere, expected);
    EXPECT_EQ(EnsureRuntimeFolder(temp.Path()), std::nullopt);
    EXPECT_EQ(Variable(), "<unset>");

    fs::remove(expected);
    { std::ofstream(expected.string()) << "x"; }
    EXPECT_EQ(EnsureRuntimeFolder(temp.Path()), std::nullopt);
    EXPECT_EQ(Variable(), "<unset>");
}

} // namespace
} // namespace corvane
