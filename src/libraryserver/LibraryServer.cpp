#include "libraryserver/LibraryServer.h"

#include "data/Value.h"

#include <algorithm>
#include <unordered_set>

namespace corvane {

namespace {

constexpr const char* WriteLock = "SELECT pg_advisory_xact_lock(2701)";

std::string Placeholders(size_t count, size_t first = 1) {
    std::string list;
    for (size_t i = 0; i < count; ++i)
        list += (i ? ", $" : "$") + std::to_string(first + i);
    return list;
}

} // namespace

ServerTitle LibraryServer::ReadTitle(const PgResult& rows, int row) const {
    const FieldDefs& fields = columns_.Fields();
    ServerTitle title;
    title.values.reserve(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        const int column = static_cast<int>(i);
        title.values.push_back(rows.IsNull(row, column)
                                   ? Value()
                                   : TitleColumns::FromText(rows.Text(row, column), fields[i].type));
    }
    const int extra = static_cast<int>(fields.size());
    title.change = rows.Integer(row, extra);
    if (rows.Text(row, extra + 1) == "t")
        title.deleted = true;
    return title;
}

ServerLibrary LibraryServer::Load() {
    return db_.Transaction([&] {
        db_.Exec("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ READ ONLY");
        ServerLibrary library;
        library.lastChange = db_.Exec("SELECT coalesce(max(change), 0) FROM titles").Integer(0, 0);
        const PgResult rows =
            db_.Exec("SELECT " + columns_.List() +
                     ", change, deleted FROM titles WHERE NOT deleted ORDER BY \"TitleID\"");
        library.titles.defs = columns_.Fields();
        library.titles.rows.reserve(static_cast<size_t>(rows.Rows()));
        for (int row = 0; row < rows.Rows(); ++row)
            library.titles.AddRow(ReadTitle(rows, row).values);
        return library;
    });
}

std::vector<ServerTitle> LibraryServer::ChangesSince(int64_t change, int limit) {
    const PgResult rows =
        db_.Exec("SELECT " + columns_.List() +
                     ", change, deleted FROM titles WHERE change > $1 ORDER BY change LIMIT $2",
                 {std::to_string(change), std::to_string(limit)});
    std::vector<ServerTitle> titles;
    titles.reserve(static_cast<size_t>(rows.Rows()));
    for (int row = 0; row < rows.Rows(); ++row)
        titles.push_back(ReadTitle(rows, row));
    return titles;
}

std::vector<int64_t> LibraryServer::TakeTitleIds(int count) {
    const PgResult rows =
        db_.Exec("SELECT nextval('title_ids') FROM generate_series(1, $1)", {std::to_string(count)});
    std::vector<int64_t> ids;
    for (int row = 0; row < rows.Rows(); ++row)
        ids.push_back(rows.Integer(row, 0));
    return ids;
}

uint64_t LibraryServer::LastApplied(const std::string& consoleId) {
    const PgResult rows = db_.Exec("SELECT last_seq FROM consoles WHERE console_id = $1", {consoleId});
    return rows.Rows() == 0 ? 0 : static_cast<uint64_t>(rows.Integer(0, 0));
}

void LibraryServer::Apply(const std::string& consoleId, const TitleChange& change) {
    db_.Transaction([&] {
        db_.Exec(WriteLock);
        db_.Exec("INSERT INTO consoles (console_id) VALUES ($1) ON CONFLICT DO NOTHING", {consoleId});
        const uint64_t applied = static_cast<uint64_t>(
            db_.Exec("SELECT last_seq FROM consoles WHERE console_id = $1 FOR UPDATE", {consoleId})
                .Integer(0, 0));
        if (change.seq <= applied)
            return; // sent before; the server has it
        const PgParam id = std::to_string(change.titleId);
        const PgParam editedAt = TitleColumns::ToText(change.editedAt, FieldType::Float);
        if (change.kind == TitleChange::Kind::Insert) {
            std::string names = "\"TitleID\", edited_at, edited_by, changed_by";
            std::vector<PgParam> params{id, editedAt, consoleId, consoleId};
            for (const TitleChange::FieldEdit& edit : change.fields) {
                if (columns_.IndexOf(edit.field) < 0 ||
                    SameTextIgnoringCase(edit.field, TitleColumns::TitleID))
                    continue;
                names += ", " + QuoteIdentifier(edit.field);
                params.push_back(edit.after);
            }
            db_.Exec("INSERT INTO titles (" + names + ") VALUES (" + Placeholders(params.size()) +
                         ") ON CONFLICT (\"TitleID\") DO NOTHING",
                     params);
        } else if (change.kind == TitleChange::Kind::Delete) {
            db_.Exec("UPDATE titles SET deleted = true, change = nextval('title_changes'), changed_by = $2 "
                     "WHERE \"TitleID\" = $1 AND NOT deleted",
                     {id, consoleId});
        } else {
            std::string select = "SELECT edited_at, edited_by, \"TitleName\"";
            for (const TitleChange::FieldEdit& edit : change.fields)
                select += ", " + QuoteIdentifier(edit.field);
            const PgResult current =
                db_.Exec(select + " FROM titles WHERE \"TitleID\" = $1 AND NOT deleted FOR UPDATE", {id});
            if (current.Rows() == 1) {
                const double rowEditedAt =
                    current.IsNull(0, 0)
                        ? 0.0
                        : std::get<double>(TitleColumns::FromText(current.Text(0, 0), FieldType::Float));
                const PgParam rowEditor = current.Param(0, 1);
                const std::string name(current.Text(0, 2));
                std::string sets = "change = nextval('title_changes'), changed_by = $2";
                std::vector<PgParam> params{id, consoleId};
                bool edited = false;
                for (size_t i = 0; i < change.fields.size(); ++i) {
                    const TitleChange::FieldEdit& edit = change.fields[i];
                    const int column = columns_.IndexOf(edit.field);
                    if (column < 0)
                        continue;
                    const FieldType type = columns_.Fields()[static_cast<size_t>(column)].type;
                    auto value = [&](const PgParam& text) {
                        return text ? TitleColumns::FromText(*text, type) : Value();
                    };
                    const Value now = value(current.Param(0, static_cast<int>(i) + 3));
                    const bool untouched =
                        CompareValues(now, value(edit.before), CaseSensitivity::Sensitive) == 0 ||
                        CompareValues(now, value(edit.after), CaseSensitivity::Sensitive) == 0;
                    if (!untouched) {
                        const bool later = change.editedAt >= rowEditedAt;
                        const std::string loser = later ? rowEditor.value_or("") : consoleId;
                        const std::string text = "Library: the edit of " + edit.field + " of title " +
                                                 std::to_string(change.titleId) + " \"" + name +
                                                 "\" lost to a later edit from another console";
                        if (!loser.empty())
                            db_.Exec("INSERT INTO notices (console_id, text) VALUES ($1, $2)", {loser, text});
                        if (!later)
                            continue;
                    }
                    params.push_back(edit.after);
                    sets += ", " + QuoteIdentifier(edit.field) + " = $" + std::to_string(params.size());
                    edited = true;
                }
                if (edited) {
                    params.push_back(editedAt);
                    sets += ", edited_at = GREATEST(edited_at, $" + std::to_string(params.size()) +
                            "::double precision), edited_by = $2";
                }
                if (change.playsAdded != 0) {
                    params.push_back(std::to_string(change.playsAdded));
                    sets += ", \"TimesPlayed\" = coalesce(\"TimesPlayed\", 0) + $" +
                            std::to_string(params.size());
                }
                if (change.lastPlayed) {
                    params.push_back(change.lastPlayed);
                    const std::string p = "$" + std::to_string(params.size()) + "::double precision";
                    sets += ", \"LastPlayed\" = GREATEST(\"LastPlayed\", " + p + ")";
                }
                db_.Exec("UPDATE titles SET " + sets + " WHERE \"TitleID\" = $1", params);
            }
        }
        db_.Exec("UPDATE consoles SET last_seq = $2 WHERE console_id = $1",
                 {consoleId, std::to_string(change.seq)});
        db_.Exec(std::string("NOTIFY ") + Channel);
    });
}

std::vector<std::string> LibraryServer::TakeNotices(const std::string& consoleId) {
    const PgResult rows =
        db_.Exec("WITH taken AS (DELETE FROM notices WHERE console_id = $1 RETURNING id, text) "
                 "SELECT text FROM taken ORDER BY id",
                 {consoleId});
    std::vector<std::string> notices;
    for (int row = 0; row < rows.Rows(); ++row)
        notices.emplace_back(rows.Text(row, 0));
    return notices;
}

UploadCount LibraryServer::Upload(const TableStorage& titles, bool merge) {
    // The file's fields matched to the server's columns by name.
    std::vector<int> source(columns_.Fields().size(), -1);
    for (size_t i = 0; i < columns_.Fields().size(); ++i)
        for (size_t j = 0; j < titles.defs.size(); ++j)
            if (titles.defs[j].Stored() &&
                SameTextIgnoringCase(titles.defs[j].name, columns_.Fields()[i].name))
                source[i] = static_cast<int>(j);
    const int key = source[static_cast<size_t>(columns_.Key())];
    if (key < 0)
        throw ELibraryServerError("The file has no TitleID field");
    const int pathColumn = columns_.IndexOf("LocalPathToFile");
    const int path = pathColumn < 0 ? -1 : source[static_cast<size_t>(pathColumn)];

    return db_.Transaction([&] {
        db_.Exec(WriteLock);
        UploadCount count;
        std::unordered_set<int64_t> takenIds;
        std::unordered_set<std::string> knownPaths;
        const PgResult present =
            db_.Exec("SELECT \"TitleID\", lower(\"LocalPathToFile\") FROM titles WHERE NOT deleted");
        if (present.Rows() > 0 && !merge)
            throw ELibraryServerError("The library server holds " + std::to_string(present.Rows()) +
                                      " titles already; upload with --merge to add to them");
        const PgResult all = db_.Exec("SELECT \"TitleID\" FROM titles");
        for (int row = 0; row < all.Rows(); ++row)
            takenIds.insert(all.Integer(row, 0));
        for (int row = 0; row < present.Rows(); ++row)
            if (!present.IsNull(row, 1))
                knownPaths.emplace(present.Text(row, 1));

        // One line of COPY's text form for a title of the file, in the
        // server's column order.
        auto AppendCopyRow = [&](std::string& out, const std::vector<Value>& values) {
            for (size_t i = 0; i < source.size(); ++i) {
                if (i)
                    out += '\t';
                const FieldDef& def = columns_.Fields()[i];
                AppendEscapedText(
                    out, source[i] < 0
                             ? PgParam()
                             : TitleColumns::ToText(
                                   ConvertValue(values[static_cast<size_t>(source[i])], def.type, def.name),
                                   def.type));
            }
            out += '\n';
        };
        std::string data;
        std::vector<size_t> renumber;
        for (size_t r = 0; r < titles.rows.size(); ++r) {
            const std::vector<Value>& values = titles.rows[r]->values;
            if (merge && path >= 0) {
                const auto* text = std::get_if<std::string>(&values[static_cast<size_t>(path)]);
                if (text && knownPaths.contains(FoldCase(*text))) {
                    ++count.skipped;
                    continue;
                }
                if (text)
                    knownPaths.insert(FoldCase(*text));
            }
            const auto* id = std::get_if<int64_t>(&values[static_cast<size_t>(key)]);
            if (!id || !takenIds.insert(*id).second) {
                renumber.push_back(r);
                continue;
            }
            AppendCopyRow(data, values);
            ++count.added;
        }
        if (!data.empty())
            db_.CopyIn("COPY titles (" + columns_.List() + ") FROM STDIN", data);
        // TitleIDs handed out from now on lie above every title on the server.
        db_.Exec("SELECT setval('title_ids', GREATEST((SELECT coalesce(max(\"TitleID\"), 0) FROM titles),"
                 " (SELECT last_value FROM title_ids), 1))");
        for (size_t r : renumber) {
            std::vector<Value> values = titles.rows[r]->values;
            values[static_cast<size_t>(key)] = static_cast<int64_t>(TakeTitleIds(1).front());
            std::string line;
            AppendCopyRow(line, values);
            db_.CopyIn("COPY titles (" + columns_.List() + ") FROM STDIN", line);
            ++count.renumbered;
            ++count.added;
        }
        db_.Exec(std::string("NOTIFY ") + Channel);
        return count;
    });
}

} // namespace corvane
