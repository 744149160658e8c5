// corvane-table: prints a table file of the console (either form) or converts
// it to the form another file name asks for.
//   corvane-table dump [--json] FILE
//   corvane-table convert IN OUT      (OUT ending ".xml": XML data packet; else binary)
#include "data/TableDump.h"
#include "data/TableFile.h"
#include "platform/ProgramOptions.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage = "usage: corvane-table dump [--json] FILE\n"
                              "       corvane-table convert IN OUT\n";

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
