#include "data/DataErrors.h"
#include "data/ExceptionLog.h"
#include "data/ExceptionLogWriter.h"
#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(ExceptionLog, LineFormat) {
    const TDateTime at = EncodeDateTime({2026, 3, 7, 18, 4, 9, 700});
    EXPECT_EQ(FormatExceptionLogLine(at, "corvane", "tmrClock", "List index out of bounds (3)"),
              "07-Mar-2026 18:04:09  corvane  tmrClock  List index out of bounds (3)\r\n");
    EXPECT_EQ(FormatExceptionLogLine(at, "corvane", "", "boom"),
              "07-Mar-2026 18:04:09  corvane  Unassigned Sender  boom\r\n");
}

TEST(ExceptionLog, TheDataModuleLogsEveryUnhandledErrorAndNothingElse) {
    TempFolder folder;
    StudioSeams seams;
    {
        TdmQelData dm(folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs);
        Guarded("HiTimer", [] { throw EDatabaseError("first"); });
        seams.studio.Run(1000);
        Guarded("", [] { throw std::runtime_error("second"); });
        Guarded("cdsRackList", [] { Abort(); }); // a withdrawn operation is silent
    }
    HandleException("after", std::make_exception_ptr(std::runtime_error("not ours")));
    EXPECT_EQ(folder.Read("zrexcept.log"), "05-Jan-2026 09:00:00  corvane  HiTimer  first\r\n"
                                           "05-Jan-2026 09:00:01  corvane  Unassigned Sender  second\r\n");
}

TEST(ExceptionLog, ALogThatCannotBeWrittenLosesTheLineSilently) {
    TempFolder folder;
    StudioSeams seams;
    TdmQelData dm(folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs);
    std::filesystem::create_directory(folder.File("zrexcept.log"));
    EXPECT_NO_THROW(dm.LogException("x", std::make_exception_ptr(std::runtime_error("lost"))));
    EXPECT_NO_THROW(dm.LogException("x", nullptr));
    EXPECT_TRUE(std::filesystem::is_directory(folder.File("zrexcept.log")));
}

// A fault that repeats (a timer failing every tick) is counted, not repeated:
// the count goes out when another entry comes and at least once a minute.
TEST(ExceptionLog, RepeatedIdenticalEntriesAreCounted) {
    TempFolder folder;
    StudioSeams seams;
    {
        TdmQelData dm(folder.Path(), "corvane", seams.studio.clock(), seams.prompter, seams.fileDialogs);
        for (int i = 0; i < 5; ++i) {
            Guarded("HiTimer", [] { throw EDatabaseError("same"); });
            seams.studio.Run(100);
        }
        Guarded("HiTimer", [] { throw EDatabaseError("other"); });
        for (int i = 0; i < 130; ++i) { // two minutes and ten seconds of one fault every second
            seams.studio.Run(1000);
            Guarded("tmrClock", [] { throw EDatabaseError("again"); });
        }
    }
    EXPECT_EQ(folder.Read("zrexcept.log"),
              "05-Jan-2026 09:00:00  corvane  HiTimer  same\r\n"
              "05-Jan-2026 09:00:00  corvane  HiTimer  The message before was repeated 4 more times\r\n"
              "05-Jan-2026 09:00:00  corvane  HiTimer  other\r\n"
              "05-Jan-2026 09:00:01  corvane  tmrClock  again\r\n"
              "05-Jan-2026 09:01:01  corvane  tmrClock  The message before was repeated 60 more times\r\n"
              "05-Jan-2026 09:02:01  corvane  tmrClock  The message before was repeated 60 more times\r\n"
              "05-Jan-2026 09:02:10  corvane  tmrClock  The message before was repeated 9 more times\r\n");
}

// However many different faults come, the log and its old files stay within
// their size: the log is rotated, three old files are kept.
TEST(ExceptionLog, TheLogIsRotatedAtItsSizeKeepingThreeOldFiles) {
    TempFolder folder;
    const std::string path = folder.File("zrexcept.log");
    {
        ExceptionLogWriter log(path, "corvane");
        const std::string filler(10000, 'x');
        for (int i = 0; i < 600; ++i)
            log.Write(EncodeDateTime({2026, 1, 5, 9, 0, 0, 0}), "HiTimer", filler + std::to_string(i));
    }
    for (const char* name : {"zrexcept.log", "zrexcept.log.1", "zrexcept.log.2", "zrexcept.log.3"}) {
        ASSERT_TRUE(std::filesystem::exists(folder.File(name))) << name;
        EXPECT_LE(std::filesystem::file_size(folder.File(name)), ExceptionLogWriter::MaxBytes) << name;
        EXPECT_GT(std::filesystem::file_size(folder.File(name)), ExceptionLogWriter::MaxBytes / 2) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("zrexcept.log.4")));
    const std::string last = folder.Read("zrexcept.log");
    EXPECT_NE(last.find("x599\r\n"), std::string::npos) << "the newest entry is in the log itself";
}

} // namespace
} // namespace corvane
