// corvane-schedule: the station's days of music made from hour clocks and
// rules, or a day's schedule checked against them (docs/scheduling.md).
#include "ScheduleTool.h"
#include "platform/ProgramOptions.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (const auto status =
            corvane::AnswerHelpOrVersion(argc, argv, "corvane-schedule", corvane::schedule::Usage, std::cout))
        return *status;
    try {
        return corvane::schedule::RunScheduleTool(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                                  std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "corvane-schedule: " << e.what() << "\n";
        return corvane::schedule::BadInput;
    }
}
