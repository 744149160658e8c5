#include "libraryserver/LibraryReplica.h"

#include "data/DataErrors.h"
#include "libraryserver/LibrarySchema.h"
#include "libraryserver/LibraryServer.h"
#include "platform/ExceptionGuard.h"

#include <algorithm>
#include <chrono>

namespace corvane {

LibraryReplica::LibraryReplica(TdmQelData& data, Dispatcher& dispatcher, TimerFactory& timers,
                               std::string server, std::function<void(const std::string&)> tell)
    : data_(data), dispatcher_(dispatcher), server_(std::move(server)), tell_(std::move(tell)),
      columns_(data.cdsAudioLibrary.FieldDefinitions()),
      journal_(data.ApplicationPath(LibraryJournal::FileName)), lastSeq_(journal_.LastSeq()),
      retry_(timers.CreateTimer("tmrLibraryReplica", 100)) {
    for (const FieldDef& def : columns_.Fields())
        fieldOf_.push_back(data_.cdsAudioLibrary.FieldIndex(def.name));
    for (const TitleChange& change : journal_.Pending())
        if (change.playsAdded != 0)
            unconfirmedPlays_.push_back({change.seq, change.titleId, change.playsAdded});
    // While a row is being edited, received titles wait for the next try.
    retry_->SetOnTimer([this] {
        retry_->SetEnabled(false);
        ApplySlice();
    });
    data_.cdsAudioLibrary.SetRowChangeListener(this);
    data_.NewTitleId = [this]() -> int64_t {
        if (thread_)
            if (const std::optional<int64_t> id = thread_->TakeTitleId(std::chrono::seconds(2)))
                return *id;
        throw EDatabaseError("The library server cannot be reached: new titles can be added to the shared "
                             "library once it is back");
    };
}

LibraryReplica::~LibraryReplica() {
    data_.NewTitleId = nullptr;
    data_.cdsAudioLibrary.SetRowChangeListener(nullptr);
    *alive_ = false;
    thread_.reset();
}

bool LibraryReplica::OpenFromServer() {
    try {
        PgConnection connection(server_);
        LibrarySchema::Migrate(connection, columns_);
        ServerLibrary library = LibraryServer(connection, columns_).Load();
        // The local copy follows what came from the server.
        library.titles.changesPending = true;
        data_.cdsAudioLibrary.LoadRows(std::move(library.titles));
        lastSeen_ = library.lastChange;
        return true;
    } catch (const ELibraryServerError& e) {
        reason_ = e.what();
        tell_(std::string(e.what()) + " - the console works on its last copy of the library");
        return false;
    }
}

void LibraryReplica::Start() {
    cursor_.CloneCursor(data_.cdsAudioLibrary);
    cursor_.SetFiltered(false);
    cursor_.SetIndexFieldNames("");
    std::weak_ptr<bool> alive = alive_;
    thread_ = std::make_unique<ReplicationThread>(server_, columns_, journal_, lastSeen_, [this, alive] {
        // The replication thread: one main-thread turn takes whatever waits.
        if (!announced_.exchange(true))
            dispatcher_.Post([this, alive] {
                if (alive.expired())
                    return;
                announced_ = false;
                TakeArrivals();
            });
    });
    for (TitleChange& change : early_)
        thread_->Send(std::move(change));
    early_.clear();
}

bool LibraryReplica::WaitForArrivals(std::chrono::milliseconds wait) {
    return thread_ && thread_->WaitForArrivals(wait);
}

std::string LibraryReplica::StatusText(const LibraryStatus& status) {
    const std::string waiting =
        std::to_string(status.waiting) + (status.waiting == 1 ? " change" : " changes");
    switch (status.link) {
    case LibraryLink::Local:
        return "Library: local";
    case LibraryLink::Connected:
        return status.waiting == 0 ? "Library: shared" : "Library: shared, " + waiting + " being sent";
    case LibraryLink::Offline:
        return "Library: offline, " + waiting + " waiting";
    }
    return {};
}

void LibraryReplica::TakeArrivals() {
    ReplicationArrivals arrivals = thread_->TakeArrivals();
    for (ServerTitle& title : arrivals.titles)
        incoming_.push_back(std::move(title));
    for (const std::string& notice : arrivals.notices)
        tell_(notice);
    for (const std::string& error : arrivals.errors) {
        reason_ = error;
        tell_("Library: " + error);
    }
    if (arrivals.status && !(*arrivals.status == status_)) {
        status_ = *arrivals.status;
        if (status_.link == LibraryLink::Connected)
            reason_.clear();
        if (OnStatusChanged)
            OnStatusChanged(status_);
    }
    ApplySlice();
}

void LibraryReplica::ApplySlice() {
    slicePosted_ = false;
    if (incoming_.empty())
        return;
    Table& library = data_.cdsAudioLibrary;
    if (!library.Active() || library.AnyCursorEditing()) {
        retry_->SetEnabled(true);
        return;
    }
    applying_ = true;
    const auto started = std::chrono::steady_clock::now();
    for (int done = 0; done < SliceTitles && !incoming_.empty(); ++done) {
        const ServerTitle title = std::move(incoming_.front());
        incoming_.pop_front();
        try {
            ApplyTitle(title);
        } catch (const std::exception& e) {
            Guarded("LibraryReplica", [&] { cursor_.Cancel(); });
            tell_(std::string("Library: a title from the server could not be taken: ") + e.what());
        }
    }
    applying_ = false;
    longestSliceMs_ = std::max(
        longestSliceMs_,
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
    if (!incoming_.empty() && !slicePosted_) {
        slicePosted_ = true;
        std::weak_ptr<bool> alive = alive_;
        dispatcher_.Post([this, alive] {
            if (!alive.expired())
                ApplySlice();
        });
    }
}

void LibraryReplica::ApplyTitle(const ServerTitle& title) {
    const auto* id = std::get_if<int64_t>(&title.values[static_cast<size_t>(columns_.Key())]);
    if (!id)
        return;
    const bool found = GoToTitle(*id);
    if (title.deleted) {
        if (found)
            cursor_.Delete();
        return;
    }
    std::vector<Value> values = title.values;
    KeepUnconfirmedPlays(title, found, values);
    if (found) {
        bool differs = false;
        for (size_t i = 0; i < fieldOf_.size() && !differs; ++i)
            differs = fieldOf_[i] >= 0 && CompareValues(cursor_.FieldAt(fieldOf_[i]).AsVariant(), values[i],
                                                        CaseSensitivity::Sensitive) != 0;
        if (!differs)
            return;
        cursor_.Edit();
    } else {
        cursor_.Append();
    }
    for (size_t i = 0; i < fieldOf_.size(); ++i)
        if (fieldOf_[i] >= 0)
            cursor_.FieldAt(fieldOf_[i]).SetAsVariant(values[i]);
    cursor_.Post();
}

void LibraryReplica::KeepUnconfirmedPlays(const ServerTitle& title, bool found, std::vector<Value>& values) {
    while (!unconfirmedPlays_.empty() && unconfirmedPlays_.front().seq <= title.confirmedSeq)
        unconfirmedPlays_.pop_front();
    const auto* id = std::get_if<int64_t>(&values[static_cast<size_t>(columns_.Key())]);
    int64_t plays = 0;
    for (const UnconfirmedPlays& p : unconfirmedPlays_)
        if (id && p.titleId == *id)
            plays += p.plays;
    if (plays == 0)
        return;
    const int count = columns_.IndexOf(TitleColumns::TimesPlayed);
    if (count >= 0) {
        const auto* onServer = std::get_if<int64_t>(&values[static_cast<size_t>(count)]);
        values[static_cast<size_t>(count)] = Value(int64_t{(onServer ? *onServer : 0) + plays});
    }
    // The local row (the cursor stands on it) played it last.
    const int last = columns_.IndexOf(TitleColumns::LastPlayed);
    if (found && last >= 0 && fieldOf_[static_cast<size_t>(last)] >= 0) {
        const Value local = cursor_.FieldAt(fieldOf_[static_cast<size_t>(last)]).AsVariant();
        Value& server = values[static_cast<size_t>(last)];
        if (!IsNull(local) &&
            (IsNull(server) || CompareValues(local, server, CaseSensitivity::Sensitive) > 0))
            server = local;
    }
}

int64_t LibraryReplica::TitleIdOf(const std::vector<Value>& values) const {
    const int key = fieldOf_[static_cast<size_t>(columns_.Key())];
    const auto* id = key < 0 ? nullptr : std::get_if<int64_t>(&values[static_cast<size_t>(key)]);
    return id ? *id : 0;
}

void LibraryReplica::IndexTitles() {
    rowOfTitle_.clear();
    const int key = fieldOf_[static_cast<size_t>(columns_.Key())];
    for (cursor_.First(); !cursor_.Eof(); cursor_.Next()) {
        const Value id = cursor_.FieldAt(key).AsVariant();
        if (const auto* n = std::get_if<int64_t>(&id))
            rowOfTitle_[*n] = cursor_.GetBookmark();
    }
}

bool LibraryReplica::GoToTitle(int64_t titleId) {
    const int key = fieldOf_[static_cast<size_t>(columns_.Key())];
    auto at = [&] {
        const auto it = rowOfTitle_.find(titleId);
        return it != rowOfTitle_.end() && cursor_.GotoBookmark(it->second) &&
               cursor_.FieldAt(key).AsVariant() == Value(titleId);
    };
    // The index follows every row change; a load replaces the rows as a whole.
    if (rowOfTitle_.size() != static_cast<size_t>(cursor_.StoredRowCount()))
        IndexTitles();
    if (at())
        return true;
    if (rowOfTitle_.contains(titleId)) {
        IndexTitles();
        return at();
    }
    return false;
}

void LibraryReplica::RowChanged(uint64_t row, const std::vector<Value>* before,
                                const std::vector<Value>* after) {
    if (before)
        rowOfTitle_.erase(TitleIdOf(*before));
    if (after)
        rowOfTitle_[TitleIdOf(*after)] = row;
    if (applying_)
        return;
    TitleChange change;
    change.editedAt = data_.clock().Now();
    change.titleId = TitleIdOf(after ? *after : *before);
    for (size_t i = 0; i < fieldOf_.size(); ++i) {
        const int f = fieldOf_[i];
        if (f < 0 || static_cast<int>(i) == columns_.Key())
            continue;
        const FieldDef& def = columns_.Fields()[i];
        const Value* was = before ? &(*before)[static_cast<size_t>(f)] : nullptr;
        const Value* now = after ? &(*after)[static_cast<size_t>(f)] : nullptr;
        if (!after)
            break;
        if (!before) {
            if (!IsNull(*now))
                change.fields.push_back({def.name, std::nullopt, TitleColumns::ToText(*now, def.type)});
            continue;
        }
        if (CompareValues(*was, *now, CaseSensitivity::Sensitive) == 0)
            continue;
        if (SameTextIgnoringCase(def.name, TitleColumns::TimesPlayed)) {
            auto count = [](const Value* v) {
                const auto* n = std::get_if<int64_t>(v);
                return n ? *n : 0;
            };
            change.playsAdded = count(now) - count(was);
        } else if (SameTextIgnoringCase(def.name, TitleColumns::LastPlayed)) {
            if (!IsNull(*now))
                change.lastPlayed = TitleColumns::ToText(*now, def.type);
        } else {
            change.fields.push_back(
                {def.name, TitleColumns::ToText(*was, def.type), TitleColumns::ToText(*now, def.type)});
        }
    }
    change.kind = !before  ? TitleChange::Kind::Insert
                  : !after ? TitleChange::Kind::Delete
                           : TitleChange::Kind::Update;
    if (change.Empty())
        return;
    change.seq = ++lastSeq_;
    if (change.playsAdded != 0)
        unconfirmedPlays_.push_back({change.seq, change.titleId, change.playsAdded});
    if (thread_)
        thread_->Send(std::move(change));
    else
        early_.push_back(std::move(change));
}

} // namespace corvane
