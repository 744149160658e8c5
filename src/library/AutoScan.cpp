#include "library/AutoScan.h"

#include "data/TdmQelData.h"
#include "data/facts/AudioFileFacts.h"
#include "platform/Dispatcher.h"

#include <exception>

namespace corvane {
namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

AutoScan::AutoScan(TdmQelData& data, AudioFileFacts& facts, Dispatcher& dispatcher, View view)
    : data_(data), facts_(facts), dispatcher_(dispatcher), view_(std::move(view)),
      self_(std::make_shared<AutoScan*>(this)) {}

AutoScan::~AutoScan() {
    *self_ = nullptr;
    cancel_->store(true);
    if (worker_.joinable())
        worker_.join();
}

void AutoScan::ImportAllAudio(const std::string& folder) {
    if (running_)
        return;
    if (worker_.joinable())
        worker_.join();
    running_ = true;
    cancel_->store(false);
    counters_->folders = 0;
    counters_->files = 0;
    found_.clear();
    next_ = 0;
    worker_ = std::thread(
        [folder, cancel = cancel_, counters = counters_, self = self_, &dispatcher = dispatcher_] {
            std::vector<std::string> found;
            const ScanOutcome outcome = ScanFolderForAudio(folder, found, *cancel, counters.get());
            dispatcher.Post([self, found = std::move(found), outcome]() mutable {
                if (AutoScan* scan = *self)
                    scan->WalkDone(std::move(found), outcome);
            });
        });
}

void AutoScan::Cancel() {
    cancel_->store(true);
}

void AutoScan::WaitForWalk() {
    if (worker_.joinable())
        worker_.join();
}

void AutoScan::WalkDone(std::vector<std::string> found, ScanOutcome outcome) {
    if (outcome == ScanOutcome::Cancelled || cancel_->load()) {
        Finish(ScanOutcome::Cancelled);
        return;
    }
    found_ = std::move(found);
    next_ = 0;
    RecordPortion();
}

void AutoScan::RecordPortion() {
    if (cancel_->load()) {
        Finish(ScanOutcome::Cancelled);
        return;
    }
    try {
        std::vector<std::string> portion;
        for (; portion.size() < static_cast<size_t>(PortionSize) && next_ < found_.size(); ++next_)
            portion.push_back(Trimmed(found_[next_]));
        facts_.AddPathsToScanList(portion);
        if (view_.ListFound)
            for (const std::string& path : portion)
                view_.ListFound(path);
    } catch (...) {
        Finish(ScanOutcome::Complete);
        throw;
    }
    if (view_.ShowProgress)
        view_.ShowProgress(counters_->folders.load(), static_cast<int>(next_));
    if (next_ < found_.size()) {
        dispatcher_.Post([self = self_] {
            if (AutoScan* scan = *self)
                scan->RecordPortion();
        });
        return;
    }
    Finish(ScanOutcome::Complete);
}

void AutoScan::Finish(ScanOutcome outcome) {
    running_ = false;
    found_.clear();
    // What was recorded is kept on disk at once, as the scan list's file; the
    // dialog hears of the end even when that write fails.
    std::exception_ptr failure;
    if (next_ > 0 || outcome == ScanOutcome::Complete) {
        try {
            if (!data_.cdsFileScan.Active())
                data_.cdsFileScan.Open();
            data_.cdsFileScan.SaveToFile(data_.ApplicationPath(TdmQelData::FileScanFile));
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (view_.Finished)
        view_.Finished(outcome);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace corvane
