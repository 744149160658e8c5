#pragma once

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace corvane::testing {

// One application for the window tests of this program, gone before the
// program's statics are (the test program registers it as a global test
// environment).
class ToolsAppEnvironment final : public ::testing::Environment {
public:
    static QApplication& Get() {
        if (!app_)
            app_ = std::make_unique<QApplication>(argc_, argv_);
        return *app_;
    }
    void TearDown() override { app_.reset(); }

private:
    static inline int argc_ = 1;
    static inline char name_[] = "tools_ui_tests";
    static inline char* argv_[] = {name_, nullptr};
    static inline std::unique_ptr<QApplication> app_;
};

inline QApplication& ToolsApp() {
    return ToolsAppEnvironment::Get();
}

} // namespace corvane::testing
