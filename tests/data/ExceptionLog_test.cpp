#include "TempFolder.h"
#include "data/DataErrors.h"
#include "data/ExceptionLog.h"
#include "data/TdmQelData.h"
#include "studio/StudioSeams.h"

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

} // namespace
} // namespace corvane
