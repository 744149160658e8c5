#include "platform/ExceptionGuard.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane {
namespace {

class ExceptionGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = SetExceptionHandler([this](std::string_view sender, std::exception_ptr e) {
            seen_.push_back(std::string(sender) + ": " + ExceptionMessage(e));
        });
    }
    void TearDown() override { SetExceptionHandler(previous_); }

    ExceptionHandler previous_;
    std::vector<std::string> seen_;
};

TEST_F(ExceptionGuardTest, GuardedHandsEveryKindOfErrorToTheHandler) {
    Guarded("tmrClock", [] { throw std::runtime_error("disk full"); });
    Guarded("HiTimer", [] { throw 42; });
    Guarded("", [] {});
    EXPECT_EQ(seen_, (std::vector<std::string>{"tmrClock: disk full", "HiTimer: Unknown error"}));
}

TEST_F(ExceptionGuardTest, AnErrorInsideTheHandlerIsSwallowed) {
    SetExceptionHandler(
        [](std::string_view, std::exception_ptr) { throw std::runtime_error("log unwritable"); });
    EXPECT_NO_THROW(Guarded("x", [] { throw std::runtime_error("first"); }));
}

} // namespace
} // namespace corvane
