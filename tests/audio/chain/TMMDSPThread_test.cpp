#include "audio/chain/TMMDSPThread.h"
#include "studio/VirtualStudio.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>

namespace corvane {
namespace {

// Runs `work` once on its own thread.
class Worker final : public TMMDSPThread {
public:
    Worker(Dispatcher& d, std::function<void()> work) : TMMDSPThread(nullptr, d), work_(std::move(work)) {}
    ~Worker() override { TerminateAndWait(); }

protected:
    void Execute() override {
        work_();
        finished = true;
    }

public:
    std::atomic<bool> finished{false};

private:
    std::function<void()> work_;
};

bool PumpUntil(VirtualStudio& studio, const std::atomic<bool>& done) {
    for (int i = 0; i < 200000 && !done; ++i)
        studio.RunPending();
    return done;
}

TEST(TMMDSPThread, SynchronizeRunsOnTheMainThreadAndReturnsErrors) {
    VirtualStudio studio;
    std::atomic<bool> ranOnMain{false};
    std::string caught;
    Worker w(studio, [&] {
        MMSynchronize([&] { ranOnMain = IsMainThread(); });
        try {
            MMSynchronize([] { throw std::runtime_error("from main"); });
        } catch (const std::exception& e) {
            caught = e.what();
        }
    });
    EXPECT_EQ(TMMDSPThread::Registry().back(), &w);
    w.Resume();
    ASSERT_TRUE(PumpUntil(studio, w.finished));
    w.WaitFor();
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(caught, "from main");
}

TEST(TMMDSPThread, SynchronizeOffAWorkerOrOnTheMainThreadRunsDirectly) {
    bool ran = false;
    MMSynchronize([&] { ran = IsMainThread(); });
    EXPECT_TRUE(ran);
}

TEST(TMMDSPThread, TerminateAbandonsAPendingSynchronize) {
    VirtualStudio studio;
    std::atomic<bool> methodRan{false};
    std::atomic<bool> waiting{false};
    {
        Worker w(studio, [&] {
            waiting = true;
            MMSynchronize([&] { methodRan = true; });
        });
        w.Resume();
        while (!waiting)
            std::this_thread::yield();
        // The destructor terminates and joins without the main thread ever
        // running the posted call.
    }
    studio.RunPending();
    EXPECT_FALSE(methodRan);
    EXPECT_TRUE(TMMDSPThread::Registry().empty());
}

} // namespace
} // namespace corvane
