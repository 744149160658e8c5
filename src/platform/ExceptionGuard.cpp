#include "platform/ExceptionGuard.h"

#include <cstdio>
#include <mutex>

namespace corvane {
namespace {

std::mutex handlerMutex;

void DefaultHandler(std::string_view sender, std::exception_ptr error) {
    const std::string message = ExceptionMessage(error);
    std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(sender.size()), sender.data(), message.c_str());
}

ExceptionHandler& CurrentHandler() {
    static ExceptionHandler handler = DefaultHandler;
    return handler;
}

} // namespace

ExceptionHandler SetExceptionHandler(ExceptionHandler handler) {
    std::lock_guard lock(handlerMutex);
    ExceptionHandler previous = std::move(CurrentHandler());
    CurrentHandler() = handler ? std::move(handler) : ExceptionHandler(DefaultHandler);
    return previous;
}

void HandleException(std::string_view sender, std::exception_ptr error) noexcept {
    try {
        ExceptionHandler handler;
        {
            std::lock_guard lock(handlerMutex);
            handler = CurrentHandler();
        }
        handler(sender, error);
    } catch (...) {
    }
}

std::string ExceptionMessage(const std::exception_ptr& error) {
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (const std::string& s) {
        return s;
    } catch (const char* s) {
        return s ? s : "";
    } catch (...) {
        return "Unknown error";
    }
}

} // namespace corvane
