#include "asrun/AsRunRecorder.h"

#include "asrun/AsRunJournal.h"
#include "asrun/AsRunJson.h"
#include "asrun/IsoTime.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cstdio>

namespace corvane {

AsRunRecorder::AsRunRecorder(AsRunJournal& journal, const Clock& clock) : journal_(journal), clock_(clock) {
    // Ids only need to differ within a day's file: the moment this console
    // started, and a count.
    const CivilDateTime c = DecodeDateTime(clock_.Now());
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d%03d", c.year, c.month, c.day, c.hour, c.minute,
                  c.second, c.millisecond);
    session_ = text;
    nowDays_ = clock_.Now();
}

std::string AsRunRecorder::NextId() {
    return session_ + "-" + std::to_string(++count_);
}

TDateTime AsRunRecorder::WallTime(int64_t atMs) const {
    return nowDays_ - static_cast<double>(heardMs_ - atMs) / MsPerDay;
}

void AsRunRecorder::Begin(AsRunChannel channel, AsRunRecord record, int64_t fromMs) {
    waiting_.push_back({channel, fromMs, std::move(record), EndedBy::PlayedOut, {}});
    Heard(heardMs_);
}

void AsRunRecorder::End(AsRunChannel channel, EndedBy how, const std::string& reason, int64_t atMs) {
    waiting_.push_back({channel, atMs, std::nullopt, how, reason});
    Heard(heardMs_);
}

void AsRunRecorder::Leaving(AsRunChannel channel, EndedBy how) {
    if (auto& onAir = Slot(channel))
        onAir->leaving = how;
}

void AsRunRecorder::Heard(int64_t heardMs) {
    nowDays_ = clock_.Now();
    heardMs_ = heardMs;
    std::stable_sort(waiting_.begin(), waiting_.end(),
                     [](const Change& a, const Change& b) { return a.atMs < b.atMs; });
    size_t done = 0;
    for (; done < waiting_.size() && waiting_[done].atMs <= heardMs_; ++done) {
        Change& change = waiting_[done];
        EndPlayedOut(change.atMs);
        const TDateTime at = WallTime(change.atMs);
        if (!change.begin) {
            EndOnAir(change.channel, at, change.how, change.reason);
            continue;
        }
        EndOnAir(change.channel, at, std::nullopt, {});
        if (change.channel == AsRunChannel::Break)
            EndOnAir(AsRunChannel::Schedule, at, EndedBy::CutByBreak, {});
        AsRunRecord& record = *change.begin;
        record.id = NextId();
        record.actualStart = at;
        OnAir onAir{record.id, FormatIsoDate(at), std::nullopt, EndedBy::PlayedOut};
        if (record.title.durationMs > 0)
            onAir.lengthEndMs = change.atMs + record.title.durationMs;
        journal_.Append(onAir.day, RecordLine(record));
        Slot(change.channel) = std::move(onAir);
    }
    waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(done));
    EndPlayedOut(heardMs_);
}

void AsRunRecorder::EndPlayedOut(int64_t upToMs) {
    for (size_t channel = 0; channel < onAir_.size(); ++channel) {
        const auto& onAir = onAir_[channel];
        if (onAir && onAir->lengthEndMs && *onAir->lengthEndMs <= upToMs)
            EndOnAir(static_cast<AsRunChannel>(channel), WallTime(*onAir->lengthEndMs), EndedBy::PlayedOut,
                     {});
    }
}

void AsRunRecorder::EndOnAir(AsRunChannel channel, TDateTime end, std::optional<EndedBy> how,
                             const std::string& reason) {
    auto& onAir = Slot(channel);
    if (!onAir)
        return;
    // An operator's order wins over how the item's end looked from here.
    const EndedBy ended =
        onAir->leaving != EndedBy::PlayedOut ? onAir->leaving : how.value_or(EndedBy::PlayedOut);
    journal_.Append(onAir->day, EndLine(onAir->id, end, ended, reason));
    onAir.reset();
}

void AsRunRecorder::OutputStopped() {
    nowDays_ = clock_.Now();
    // What was heard before the stop still counts, in its order.
    Heard(heardMs_);
    for (size_t channel = 0; channel < onAir_.size(); ++channel)
        EndOnAir(static_cast<AsRunChannel>(channel), nowDays_, EndedBy::Stopped, {});
    waiting_.clear();
    heardMs_ = 0;
}

void AsRunRecorder::WriteWhole(AsRunRecord record) {
    record.id = NextId();
    journal_.Append(FormatIsoDate(record.actualStart), RecordLine(record));
}

std::string AsRunRecorder::Open(AsRunRecord record) {
    record.id = NextId();
    const std::string day = FormatIsoDate(record.actualStart);
    journal_.Append(day, RecordLine(record));
    openDays_.emplace_back(record.id, day);
    return record.id;
}

void AsRunRecorder::Close(const std::string& id, TDateTime end, EndedBy how, const std::string& reason) {
    const auto it =
        std::find_if(openDays_.begin(), openDays_.end(), [&](const auto& open) { return open.first == id; });
    if (it == openDays_.end())
        return;
    journal_.Append(it->second, EndLine(id, end, how, reason));
    openDays_.erase(it);
}

} // namespace corvane
