#include "platform/ProgramOptions.h"

#include <string_view>

namespace corvane {

const char* CorvaneVersion() {
    return CORVANE_PROJECT_VERSION;
}

std::optional<int> AnswerHelpOrVersion(int argc, const char* const* argv, const std::string& program,
                                       const std::string& usage, std::ostream& out,
                                       const std::string& extraVersionLines) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            out << usage;
            if (!usage.empty() && usage.back() != '\n')
                out << '\n';
            return 0;
        }
        if (arg == "--version") {
            out << program << ' ' << CorvaneVersion() << '\n' << extraVersionLines;
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace corvane
