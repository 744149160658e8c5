// corvane-table: prints a table file of the console (either form), converts
// it to the form another file name asks for, or moves an audio library onto
// a library server and back.
//   corvane-table dump [--json] FILE
//   corvane-table convert IN OUT      (OUT ending ".xml": XML data packet; else binary)
//   corvane-table upload [--merge] FILE SERVER   (a library file onto a library server)
//   corvane-table download SERVER FILE           (a server's library into a file)
#include "data/QelTableSchemas.h"
#include "data/TableDump.h"
#include "data/TableFile.h"
#include "data/Value.h"
#include "libraryserver/LibrarySchema.h"
#include "libraryserver/LibraryServer.h"
#include "platform/ProgramOptions.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage = "usage: corvane-table dump [--json] FILE\n"
                              "       corvane-table convert IN OUT\n"
                              "       corvane-table upload [--merge] FILE SERVER\n"
                              "       corvane-table download SERVER FILE\n";

// Throws unless `table` has the fields of the audio library, each of its type:
// any other table of the console (a schedule, a play list) shares many of
// its names, and uploading one would put its rows on the server as titles.
void CheckIsLibrary(const std::string& file, const corvane::TableStorage& table) {
    const corvane::FieldDefs library = corvane::AudioLibraryFields();
    std::string missing, extra;
    const auto find = [](const corvane::FieldDefs& defs, const std::string& name) {
        return std::find_if(defs.begin(), defs.end(), [&](const corvane::FieldDef& d) {
            return corvane::SameTextIgnoringCase(d.name, name);
        });
    };
    for (const corvane::FieldDef& def : library) {
        const auto found = find(table.defs, def.name);
        if (found == table.defs.end() || found->type != def.type)
            missing += (missing.empty() ? "" : ", ") + def.name;
    }
    for (const corvane::FieldDef& def : table.defs)
        if (find(library, def.name) == library.end())
            extra += (extra.empty() ? "" : ", ") + def.name;
    if (!missing.empty() || !extra.empty())
        throw std::runtime_error(file + " is not an audio library" +
                                 (missing.empty() ? "" : " (without the library's " + missing + ")") +
                                 (extra.empty() ? "" : " (with fields a library has not: " + extra + ")") +
                                 ": nothing was uploaded");
}

// Puts a library file on a server (creating or updating the server's schema).
int Upload(const std::string& file, const std::string& server, bool merge) {
    const corvane::TableStorage titles = corvane::ReadTableFile(file);
    CheckIsLibrary(file, titles);
    const corvane::TitleColumns columns(corvane::AudioLibraryFields());
    corvane::PgConnection db(server);
    corvane::LibrarySchema::Migrate(db, columns);
    const corvane::UploadCount count = corvane::LibraryServer(db, columns).Upload(titles, merge);
    std::cout << count.added << " titles uploaded";
    if (merge)
        std::cout << ", " << count.skipped << " already there (same file), " << count.renumbered
                  << " with a new TitleID";
    std::cout << "\n";
    return 0;
}

int Download(const std::string& server, const std::string& file) {
    const corvane::TitleColumns columns(corvane::AudioLibraryFields());
    corvane::PgConnection db(server);
    if (corvane::LibrarySchema::Version(db) == 0)
        throw corvane::ELibraryServerError("The server holds no library");
    corvane::LibrarySchema::Migrate(db, columns);
    corvane::ServerLibrary library = corvane::LibraryServer(db, columns).Load();
    corvane::WriteTableFile(file, library.titles);
    std::cout << library.titles.rows.size() << " titles downloaded\n";
    return 0;
}

int Run(const std::vector<std::string>& args) {
    if (args.size() >= 2 && args[0] == "dump") {
        const bool json = args.size() == 3 && args[1] == "--json";
        if (args.size() != 2 && !json) {
            std::cerr << Usage;
            return 2;
        }
        const corvane::TableStorage table = corvane::ReadTableFile(args.back());
        if (json)
            corvane::DumpTableJson(table, std::cout);
        else
            corvane::DumpTableCsv(table, std::cout);
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    if (args.size() == 3 && args[0] == "convert") {
        corvane::WriteTableFile(args[2], corvane::ReadTableFile(args[1]));
        return 0;
    }
    if (args.size() == 3 && args[0] == "upload")
        return Upload(args[1], args[2], false);
    if (args.size() == 4 && args[0] == "upload" && args[1] == "--merge")
        return Upload(args[2], args[3], true);
    if (args.size() == 3 && args[0] == "download")
        return Download(args[1], args[2]);
    std::cerr << Usage;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto status = corvane::AnswerHelpOrVersion(argc, argv, "corvane-table", Usage, std::cout))
        return *status;
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "corvane-table: " << e.what() << "\n";
        return 1;
    }
}
