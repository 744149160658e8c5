#include "library/FileArgument.h"

#include "platform/ExceptionGuard.h"
#include "platform/Prompter.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace corvane {

FileArgumentResult OpenFileArgument(const std::string& path, const FileArgumentRoutes& routes,
                                    Prompter& prompter) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::function<void(const std::string&)>* route = nullptr;
    const char* kind = nullptr;
    if (extension == ".wsl")
        route = &routes.LoadSchedule, kind = "schedule";
    else if (extension == ".ply")
        route = &routes.LoadPlayList, kind = "play list";
    else if (extension == ".rck")
        route = &routes.LoadRack, kind = "audio rack";
    else if (extension == ".ads")
        route = &routes.OpenCommercialList, kind = "commercial list";
    std::error_code error;
    if (!route || !std::filesystem::is_regular_file(path, error)) {
        prompter.Show("The file [" + path + "] is not a file Vantor Corvane can open; it was ignored.",
                      MessageType::Information, MessageButtons::Ok);
        return FileArgumentResult::Ignored;
    }
    if (!*route) {
        prompter.Show("The file [" + path + "] is a " + kind +
                          ", which this console cannot open yet; it was ignored.",
                      MessageType::Information, MessageButtons::Ok);
        return FileArgumentResult::NotAvailable;
    }
    try {
        (*route)(path);
    } catch (...) {
        // A damaged file is the operator's to see, with what is wrong with it.
        prompter.Show("The file [" + path + "] could not be opened as a " + kind + ":\r\n" +
                          ExceptionMessage(std::current_exception()),
                      MessageType::Information, MessageButtons::Ok);
        return FileArgumentResult::Unreadable;
    }
    return FileArgumentResult::Opened;
}

} // namespace corvane
