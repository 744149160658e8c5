#pragma once

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace corvane::testing {

// One QApplication for every window test of a program, created before the
// first test and gone before the program's statics are.
class WidgetTestApplication final : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    static inline int argc_ = 1;
    static inline char name_[] = "corvane_window_tests";
    static inline char* argv_[] = {name_, nullptr};
    static inline std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] inline ::testing::Environment* const widgetTestApplication =
    ::testing::AddGlobalTestEnvironment(new WidgetTestApplication);

} // namespace corvane::testing
