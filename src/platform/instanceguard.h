// The guard that keeps a second copy of the program from running beside the first, for the
// same user across the whole system. On Windows it is a named mutex; elsewhere an exclusive
// lock on a file in the user's runtime folder. Either way the system releases it when the
// process ends, also when it crashes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kotopa::platform {

class InstanceGuard {
public:
    enum class State {
        Held,         // this process holds the guard
        Taken,        // another process holds it
        Unavailable,  // it cannot be set up (no usable runtime folder); run unguarded
    };

    // The guard called name in the user's runtime folder (RuntimeFolder below).
    explicit InstanceGuard(std::string_view name);
    // The same in a given folder.
    InstanceGuard(std::string_view name, const std::filesystem::path& folder);
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    State state() const { return state_; }

    // $XDG_RUNTIME_DIR when it is an existing folder; otherwise a folder of this user's own
    // under the system's temporary folder, created with access for the user alone and
    // refused when someone else owns it or can write to it. Empty when neither is usable.
    static std::filesystem::path RuntimeFolder();

private:
    void Acquire(std::string_view name, const std::filesystem::path& folder);

    State state_ = State::Unavailable;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace kotopa::platform
