#include "AudioProbe.h"
#include "platform/ExceptionGuard.h"
#include "platform/ProgramOptions.h"

#include <cstring>
#include <exception>
#include <iostream>

namespace {

constexpr const char* UsageText = "usage: corvane-probe FILE...\n"
                                  "       corvane-probe --decode FILE OUT.wav\n"
                                  "Prints what the console's engine reads from each audio file, or decodes\n"
                                  "one to a PCM WAVE file as the engine plays it.\n";

int Usage() {
    std::cerr << UsageText;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto status = corvane::AnswerHelpOrVersion(argc, argv, "corvane-probe", UsageText, std::cout))
        return *status;
    if (argc < 2)
        return Usage();
    if (std::strcmp(argv[1], "--decode") == 0) {
        if (argc != 4)
            return Usage();
        try {
            const long long bytes = corvane::DecodeAudioFile(argv[2], argv[3]);
            std::cout << argv[3] << ": " << bytes << " bytes of audio\n";
            return 0;
        } catch (...) {
            std::cerr << argv[2] << ": " << corvane::ExceptionMessage(std::current_exception()) << "\n";
            return 1;
        }
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            corvane::ProbeAudioFile(argv[i], std::cout);
        } catch (...) {
            std::cerr << argv[i] << ": " << corvane::ExceptionMessage(std::current_exception()) << "\n";
            status = 1;
        }
    }
    return status;
}
