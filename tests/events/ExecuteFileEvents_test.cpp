#include "EventsFixture.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace corvane {
namespace {

// "Execute File" with real programs (small scripts in the scratch folder).
// Their report comes back from a watcher thread through the studio's
// dispatcher: the studio is run until it has, with a generous bound.
class ExecuteFileEventsTest : public ScheduledEventsTest {
protected:
    std::string Script(const std::string& name, const std::string& body, bool executable = true) {
        const std::string path = folder.File(name);
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(path, executable ? std::filesystem::perms::owner_all
                                                      : std::filesystem::perms::owner_read);
        return path;
    }
    // Runs the studio until every started program has been reported.
    void RunUntilReported() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        do {
            Run(10);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } while (events->Programs().Running() > 0 && std::chrono::steady_clock::now() < deadline);
        Run(10);
    }
};

TEST_F(ExecuteFileEventsTest, RunsTheProgramWithItsArgumentsAndReportsItsExit) {
    const std::string program = Script("report.sh", R"(for a in "$@"; do echo "arg:$a" >&2; done
pwd >&2
exit 3)");
    const int id = AddEventWith(2, "Execute File", program, R"(Args=one "two words;x" $HOME)");
    Run(2000);
    EXPECT_EQ(Status(id), "Completed") << Message("failed");
    RunUntilReported();
    EXPECT_NE(Message("Execute File: report.sh exited with status 3"), "");
    // No shell read the arguments: the quoted part is one argument, ';'
    // ends nothing and $HOME stays as written. The program ran in the
    // program folder.
    EXPECT_NE(Message("  arg:one"), "");
    EXPECT_NE(Message("  arg:two words;x"), "");
    EXPECT_NE(Message("  arg:$HOME"), "");
    EXPECT_NE(Message("  " + std::filesystem::canonical(folder.Path()).string()), "");
}

TEST_F(ExecuteFileEventsTest, OnlyTheFirstErrorLinesAreReported) {
    const std::string program =
        Script("chatty.sh", "i=0; while [ $i -lt 500 ]; do echo line$i >&2; i=$((i+1)); done");
    AddEventWith(2, "Execute File", program, "");
    Run(2000);
    RunUntilReported();
    EXPECT_NE(Message("chatty.sh exited with status 0"), "");
    EXPECT_NE(Message("  line4"), "");
    EXPECT_EQ(Message("  line5"), "");
}

TEST_F(ExecuteFileEventsTest, AProgramPastItsLimitIsReportedAndEnded) {
    const std::string program = Script("hangs.sh", "exec sleep 60");
    AddEventWith(2, "Execute File", program, "Limit=1");
    Run(2000);
    RunUntilReported();
    EXPECT_NE(Message("hangs.sh was still running after 1 s and was ended (was ended by signal 15"), "");
}

TEST_F(ExecuteFileEventsTest, OnlyAnExistingExecutableIsStarted) {
    const std::string notExecutable = Script("plain.sh", "exit 0", false);
    const struct {
        std::string file;
        const char* params;
        const char* why;
    } cases[] = {
        {folder.File("missing"), "", "is not an executable file"},
        {notExecutable, "", "is not an executable file"},
        {folder.Path().string(), "", "is not an executable file"},
        {"", "", "no file name is given"},
        {Script("ok.sh", "exit 0"), "Limit=soon", "is not a number of seconds"},
        {Script("ok2.sh", "exit 0"), "Args=\"unclosed", "unclosed quote"},
    };
    std::vector<int> ids;
    for (size_t i = 0; i < std::size(cases); ++i)
        ids.push_back(
            AddEventWith(2.0 + static_cast<double>(i), "Execute File", cases[i].file, cases[i].params));
    Run(9000);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].file);
        EXPECT_EQ(Status(ids[i]), "Failed");
        EXPECT_NE(Message(cases[i].why), "");
    }
    EXPECT_EQ(events->Programs().Running(), 0);
}

} // namespace
} // namespace corvane
