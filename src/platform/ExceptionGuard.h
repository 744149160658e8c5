#pragma once

#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace corvane {

// The application's handler of every error nothing else caught. `sender` names
// the component or handler the error came from; empty when unknown.
using ExceptionHandler = std::function<void(std::string_view sender, std::exception_ptr error)>;

// Replaces the process-wide handler; returns the previous one. An empty handler
// restores the default, which writes the error to standard error.
ExceptionHandler SetExceptionHandler(ExceptionHandler handler);

// Hands an error to the handler. Never throws: an error inside the handler is
// swallowed, because the handler is the last line of defence.
void HandleException(std::string_view sender, std::exception_ptr error) noexcept;

// The message of an error as the operator should read it.
std::string ExceptionMessage(const std::exception_ptr& error);

// Every entry point from the event loop (slot, timer tick, posted work, device
// notification) runs through here, so that no exception ever crosses the loop
// and the program keeps running after a handled error.
template <typename Work> void Guarded(std::string_view sender, Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
    } catch (...) {
        HandleException(sender, std::current_exception());
    }
}

} // namespace corvane
