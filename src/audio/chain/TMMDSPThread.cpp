#include "audio/chain/TMMDSPThread.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

namespace corvane {

namespace {

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}
std::vector<TMMDSPThread*>& Threads() {
    static std::vector<TMMDSPThread*> threads;
    return threads;
}

std::mutex mainThreadMutex;
std::thread::id mainThreadId = std::this_thread::get_id();

// One synchronized call in flight: the worker waits on it, the main thread
// runs it, and a terminated worker may abandon it before it runs.
struct SyncCall {
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> method;
    bool done = false;
    bool abandoned = false;
    std::exception_ptr error;
};

} // namespace

struct TMMDSPThread::PendingSync {
    std::mutex mutex;
    std::shared_ptr<SyncCall> call;
};

void MarkMainThread() {
    std::lock_guard lock(mainThreadMutex);
    mainThreadId = std::this_thread::get_id();
}

bool IsMainThread() {
    std::lock_guard lock(mainThreadMutex);
    return mainThreadId == std::this_thread::get_id();
}

TMMDSPThread::TMMDSPThread(TMMDSPComponent* component, Dispatcher& dispatcher)
    : component_(component), dispatcher_(dispatcher), pending_(std::make_unique<PendingSync>()) {
    std::lock_guard lock(RegistryMutex());
    Threads().push_back(this);
}

TMMDSPThread::~TMMDSPThread() {
    TerminateAndWait();
    std::lock_guard lock(RegistryMutex());
    auto& threads = Threads();
    threads.erase(std::remove(threads.begin(), threads.end(), this), threads.end());
}

std::vector<TMMDSPThread*> TMMDSPThread::Registry() {
    std::lock_guard lock(RegistryMutex());
    return Threads();
}

void TMMDSPThread::Resume() {
    if (thread_.joinable() || Terminated())
        return;
    thread_ = std::thread([this] {
        // Known before Execute runs, so the worker finds itself in the registry.
        threadId_ = std::this_thread::get_id();
        Execute();
    });
}

void TMMDSPThread::Terminate() {
    terminated_ = true;
    std::lock_guard lock(pending_->mutex);
    if (const auto call = pending_->call) {
        // Taking the call's lock first means a worker between its check and
        // its wait cannot miss this wake-up.
        std::lock_guard callLock(call->mutex);
        call->changed.notify_all();
    }
}

void TMMDSPThread::WaitFor() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void TMMDSPThread::TerminateAndWait() {
    Terminate();
    WaitFor();
}

std::thread::id TMMDSPThread::ThreadId() const {
    return threadId_.load();
}

void TMMDSPThread::Synchronize(const std::function<void()>& method) {
    auto call = std::make_shared<SyncCall>();
    call->method = method;
    {
        std::lock_guard lock(pending_->mutex);
        if (Terminated())
            return;
        pending_->call = call;
    }
    // The posted work holds only the call, so it stays safe when the worker
    // has given up and gone before the main thread gets to it.
    dispatcher_.Post([call] {
        std::unique_lock lock(call->mutex);
        if (call->abandoned)
            return;
        try {
            call->method();
        } catch (...) {
            call->error = std::current_exception();
        }
        call->done = true;
        call->changed.notify_all();
    });
    {
        std::unique_lock lock(call->mutex);
        call->changed.wait(lock, [&] { return call->done || Terminated(); });
        if (!call->done)
            call->abandoned = true;
    }
    {
        std::lock_guard lock(pending_->mutex);
        pending_->call.reset();
    }
    if (call->error)
        std::rethrow_exception(call->error);
}

void MMSynchronize(const std::function<void()>& method) {
    if (!IsMainThread()) {
        const auto self = std::this_thread::get_id();
        for (TMMDSPThread* t : TMMDSPThread::Registry()) {
            if (t->ThreadId() == self) {
                t->Synchronize(method);
                return;
            }
        }
    }
    method();
}

} // namespace corvane
