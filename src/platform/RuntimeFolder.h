#pragma once

#include <filesystem>
#include <optional>

namespace corvane {

// The user's runtime folder (XDG_RUNTIME_DIR) for a session that has none: a
// bare X server, a service, a login without systemd. Qt wants one and says
// so on the terminal at every start when it is missing, then uses
// <tmp>/runtime-<user> anyway; this makes the same kind of folder quietly.
//
// With XDG_RUNTIME_DIR set (and not empty) nothing changes. Otherwise
// `base`/runtime-<uid> is created with mode 0700 (a folder already there must
// be a real folder owned by this user; its mode is set to 0700) and
// XDG_RUNTIME_DIR names it. A place that cannot be used (a link, another
// user's folder, a file) leaves the variable unset. Returns the folder the
// variable names afterwards. Call before any thread starts (it sets the
// process's environment).
std::optional<std::filesystem::path> EnsureRuntimeFolder(const std::filesystem::path& base);

} // namespace corvane
