// The guards of a running copy of the program. InstanceGuard keeps a second copy from
// running anywhere on the machine, whoever starts it and whatever their environment;
// FolderLock keeps two processes from writing one program folder's records, also from two
// machines that share the folder. The system releases both when the process ends, also when
// it crashes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

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

    // The guard called name, one for the whole machine: on Windows the named mutex in the
    // global namespace (Global\name), seen from every user's session; on Linux an abstract
    // Unix socket of that name, seen by every user of the machine, in no folder that an
    // environment variable could move. Elsewhere it is Unavailable.
    explicit InstanceGuard(std::string_view name);
};

class FolderLock : public ProcessHold {
public:
    // An exclusive lock on the lock file kLockFile in folder, created when missing. Unavailable
    // when the folder is missing or the file cannot be opened or locked there.
    explicit FolderLock(const std::filesystem::path& folder);

    static constexpr std::string_view kLockFile = SaveFolder::kLockName;
};

}  // namespace kotopa::platform
