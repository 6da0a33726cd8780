// The guards of a running copy of the program. InstanceGuard keeps a second copy of the same
// user from running anywhere on the machine, whatever their environment, and cannot be taken
// by another user; FolderLock keeps two processes from writing one program folder's records,
// also two users' copies and those of two machines that share the folder. The system releases
// both when the process ends, also when it crashes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#ifdef __linux__
#include <thread>
#endif

#include "basedir.h"

namespace kotopa::platform {

enum class LockState {
    Held,         // this process holds it
    Taken,        // another process holds it
    Unavailable,  // it cannot be set up here; the program runs without it
};

// What either guard keeps while the process holds it: its state and the system's handle,
// closed when the guard goes (which releases it).
class ProcessHold {
public:
    ProcessHold(const ProcessHold&) = delete;
    ProcessHold& operator=(const ProcessHold&) = delete;
    LockState state() const { return state_; }

protected:
    ProcessHold() = default;
    ~ProcessHold();

    LockState state_ = LockState::Unavailable;
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

class InstanceGuard : public ProcessHold {
public:
    using State = LockState;

    // The guard called name for the user running this process, one for the whole machine,
    // in no folder that an environment variable could move: on Windows the named mutex
    // Global\name-SID in the global namespace, seen from every session of the user; on Linux
    // the abstract Unix socket name-UID. Taken only when a process of this same user holds
    // it; one that another user's process created in its place (the names are no secret) is
    // Unavailable, so that the program runs and the folder lock alone keeps writers apart.
    // Elsewhere it is Unavailable.
    explicit InstanceGuard(std::string_view name);
#ifdef __linux__
    ~InstanceGuard();

private:
    // Takes and closes what refused copies' probes leave in the guard's queue, which would
    // otherwise fill it, until wake_ is written.
    std::thread drain_;
    int wake_ = -1;
#endif
};

class FolderLock : public ProcessHold {
public:
    // An exclusive lock on the lock file kLockFile in folder, created when missing. Unavailable
    // when the folder is missing or the file cannot be opened or locked there.
    explicit FolderLock(const std::filesystem::path& folder);

    static constexpr std::string_view kLockFile = SaveFolder::kLockName;
};

}  // namespace kotopa::platform
