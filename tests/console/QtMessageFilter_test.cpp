#include "platform/qt/QtMessageFilter.h"

#include <QStandardPaths>
#include <QString>
#include <QtGlobal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace corvane {
namespace {

std::vector<QString> reachedTheTerminal;

// A session without a runtime folder: Qt's own notice is kept back, any other
// message still reaches the handler before (the terminal in the program).
TEST(QtMessageFilter, OnlyTheMissingRuntimeFolderNoticeIsKeptOffTheTerminal) {
    std::optional<std::string> saved;
    if (const char* value = std::getenv("XDG_RUNTIME_DIR"))
        saved = value;
    ::unsetenv("XDG_RUNTIME_DIR");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        reachedTheTerminal.push_back(message);
    });
    InstallQtMessageFilter();

    // What Qt itself says when it looks for the runtime folder.
    QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    qWarning("The sound device stopped taking audio");
    qInstallMessageHandler(nullptr);
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", saved->c_str(), 1);

    EXPECT_EQ(reachedTheTerminal, std::vector<QString>{"The sound device stopped taking audio"});
}

} // namespace
} // namespace corvane
