#include "library/AudioVerification.h"

#include "audio/decks/TMMAudioFile.h"
#include "data/Table.h"
#include "platform/Dispatcher.h"

#include <filesystem>

namespace corvane {

struct AudioVerification::Finding {
    std::string line;
};

namespace {

// Findings and the count are posted in batches, so that a library of a
// hundred thousand titles does not flood the main thread.
constexpr int BatchFiles = 50;

} // namespace

std::string CheckAudioFile(TMMAudioFile& reader, const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return "Missing File: " + path;
    bool problem = false;
    try {
        reader.SetFileName(path);
        problem = reader.IsEmpty() || reader.Duration() <= 0;
    } catch (...) {
        problem = true;
    }
    try {
        reader.SetFileName({});
    } catch (...) {
        // The reader is already empty after a failed load.
    }
    return problem ? "Problem File: " + path : std::string();
}

AudioVerification::AudioVerification(Dispatcher& dispatcher, View view)
    : dispatcher_(dispatcher), view_(std::move(view)), self_(std::make_shared<AudioVerification*>(this)) {}

AudioVerification::~AudioVerification() {
    *self_ = nullptr;
    cancel_->store(true);
    if (worker_.joinable())
        worker_.join();
}

void AudioVerification::RunVerificationReport(Table& library) {
    if (running_)
        return;
    if (worker_.joinable())
        worker_.join();
    std::vector<std::string> paths;
    if (library.Active()) {
        Table rows(library.Name() + "Verify");
        rows.CloneCursor(library);
        paths.reserve(static_cast<size_t>(rows.RecordCount()));
        for (rows.First(); !rows.Eof(); rows.Next())
            paths.push_back(rows.FieldByName("LocalPathToFile").AsString());
    }
    total_ = static_cast<int>(paths.size());
    running_ = true;
    cancel_->store(false);
    if (view_.SetCaption)
        view_.SetCaption(std::string(Caption) + " : 0/" + std::to_string(total_));
    if (view_.AddLine)
        view_.AddLine("Checking " + std::to_string(total_) + " files...");
    worker_ =
        std::thread([paths = std::move(paths), cancel = cancel_, self = self_, &dispatcher = dispatcher_] {
            TMMAudioFile reader("mmAudioFile1");
            std::vector<Finding> batch;
            int checked = 0;
            const auto post = [&](bool done) {
                dispatcher.Post([self, batch = std::move(batch), checked, done] {
                    if (AudioVerification* report = *self)
                        report->Deliver(batch, checked, done);
                });
                batch.clear();
            };
            for (const std::string& path : paths) {
                if (cancel->load())
                    break;
                if (std::string line = CheckAudioFile(reader, path); !line.empty())
                    batch.push_back({std::move(line)});
                if (++checked % BatchFiles == 0)
                    post(false);
            }
            post(true);
        });
}

void AudioVerification::Cancel() {
    cancel_->store(true);
}

void AudioVerification::WaitForChecks() {
    if (worker_.joinable())
        worker_.join();
}

void AudioVerification::Deliver(const std::vector<Finding>& findings, int checked, bool done) {
    for (const Finding& finding : findings)
        if (view_.AddLine)
            view_.AddLine(finding.line);
    if (view_.SetCaption)
        view_.SetCaption(std::string(Caption) + " : " + std::to_string(checked) + "/" +
                         std::to_string(total_));
    if (!done)
        return;
    running_ = false;
    if (view_.AddLine)
        view_.AddLine(cancel_->load() && checked < total_ ? "Check Cancelled." : "Check Complete.");
    if (view_.Finished)
        view_.Finished();
}

} // namespace corvane
