#include "loudness/AnalysisQueue.h"
#include "loudness/LoudnessStore.h"
#include "platform/BlockingDispatcher.h"
#include "support/TempFolder.h"
#include "support/ToneFiles.h"

#include <gtest/gtest.h>
#include <thread>

namespace corvane {
namespace {

using testing::TempFolder;

class Queue : public ::testing::Test {
protected:
    TempFolder folder;
    LoudnessStore store{folder.Path() / LoudnessStoreFileName};
    BlockingDispatcher dispatcher;
    std::vector<std::string> analysed;
    std::vector<AnalysisQueue::Progress> progress;
    std::thread::id mainThread = std::this_thread::get_id();

    std::vector<std::string> Titles(int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back((folder.Path() / ("t" + std::to_string(i) + ".wav")).string());
            testing::WriteToneFile(paths.back(), 22050, 1, {{1000, -10.0 - i, 1000}});
        }
        return paths;
    }
    void Watch(AnalysisQueue& queue) {
        queue.OnAnalysed = [this](const std::string& path, const AnalysisResult& r) {
            EXPECT_EQ(std::this_thread::get_id(), mainThread);
            EXPECT_TRUE(r.Analysed()) << r.reason;
            analysed.push_back(path);
        };
        queue.OnProgress = [this](AnalysisQueue::Progress p) { progress.push_back(p); };
    }
    // Runs what the workers post until the queue is idle.
    void Drain(AnalysisQueue& queue) {
        while (!queue.Idle())
            dispatcher.RunPosted(true);
    }
};

// Titles are measured on the workers and kept in the store; results and
// progress reach the main thread; titles already measured are passed over.
TEST_F(Queue, TitlesAreMeasuredOnWorkersAndReportedOnTheMainThread) {
    const auto paths = Titles(5);
    AnalysisQueue queue(store, dispatcher, 2);
    Watch(queue);
    queue.Add({paths[0], paths[1]}, {});
    Drain(queue);
    // A run after the queue fell idle counts its own titles only ("Analyse
    // Library" of 5 titles after 2 imports: 0 of 5, not 2 of 7).
    progress.clear();
    queue.Add(paths, {});
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front().done, 0);
    EXPECT_EQ(progress.front().total, 5);
    Drain(queue);
    std::sort(analysed.begin(), analysed.end());
    EXPECT_EQ(analysed, paths) << "each title measured once";
    for (size_t i = 0; i < paths.size(); ++i)
        EXPECT_NEAR(store.FindAnalysis(paths[i])->integratedLufs, -13.0 - static_cast<double>(i), 0.1);
    EXPECT_EQ(progress.back().done, 5);
    EXPECT_EQ(progress.back().total, 5);
}

// Cancel drops what has not begun; the progress ends with what was done, and
// the queue takes new titles afterwards.
TEST_F(Queue, CancelDropsTheTitlesNotYetBegun) {
    const auto paths = Titles(4);
    // The one worker measures the first titles for far longer than the
    // main thread takes to cancel, and passes over the rest one by one.
    std::vector<std::string> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back(paths[static_cast<size_t>(i % 4)]);
    AnalysisQueue queue(store, dispatcher, 1);
    Watch(queue);
    queue.OnAnalysed = nullptr;
    queue.Add(many, {});
    queue.Cancel();
    Drain(queue);
    EXPECT_LT(progress.back().total, 2000);
    EXPECT_EQ(progress.back().done, progress.back().total);
    queue.Add({paths[3]}, {});
    Drain(queue);
    EXPECT_TRUE(store.FindAnalysis(paths[3]));
}

} // namespace
} // namespace corvane
