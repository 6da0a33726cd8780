#include "instanceguard.h"

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#endif

namespace kotopa::platform {

namespace fs = std::filesystem;

#ifdef _WIN32

InstanceGuard::InstanceGuard(std::string_view name) {
    // Without the prefix a mutex lives in the session's own namespace, and a second user
    // (fast user switching, a remote desktop) could run a copy beside the first.
    const std::string n = "Global\\" + std::string(name);
    if (HANDLE probe = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, n.c_str())) {
        CloseHandle(probe);
        state_ = LockState::Taken;
        return;
    }
    // Another user's mutex exists but is closed to this one.
    if (GetLastError() == ERROR_ACCESS_DENIED) {
        state_ = LockState::Taken;
        return;
    }
    handle_ = CreateMutexA(nullptr, FALSE, n.c_str());
    const DWORD error = GetLastError();
    if (!handle_) {
        state_ = error == ERROR_ACCESS_DENIED ? LockState::Taken : LockState::Unavailable;
    } else if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
        state_ = LockState::Taken;
    } else {
        state_ = LockState::Held;
    }
}

ProcessHold::~ProcessHold() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));  // closing releases it
}

FolderLock::FolderLock(const fs::path& folder) {
    const fs::path file = folder / fs::path(std::string(kLockFile));
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    OVERLAPPED at{};
    if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        handle_ = h;
        state_ = LockState::Held;
        return;
    }
    state_ = GetLastError() == ERROR_LOCK_VIOLATION ? LockState::Taken : LockState::Unavailable;
    CloseHandle(h);
}

#else

#ifdef __linux__
InstanceGuard::InstanceGuard(std::string_view name) {
    // An address in the abstract namespace: no file, no permissions, no folder taken from the
    // environment; the kernel frees it with the last descriptor, when the process ends.
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.empty() || name.size() + 1 > sizeof address.sun_path) return;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        state_ = LockState::Held;
        return;
    }
    state_ = errno == EADDRINUSE ? LockState::Taken : LockState::Unavailable;
    ::close(fd_);
    fd_ = -1;
}
#else
InstanceGuard::InstanceGuard(std::string_view) {}
#endif

ProcessHold::~ProcessHold() {
    if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases it
}

FolderLock::FolderLock(const fs::path& folder) {
    const fs::path file = folder / kLockFile;
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    // A folder this user may read but not write still takes a lock on an existing file.
    if (fd_ < 0) fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd_ < 0) return;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        state_ = LockState::Held;
        return;
    }
    state_ = errno == EWOULDBLOCK ? LockState::Taken : LockState::Unavailable;
    ::close(fd_);
    fd_ = -1;
}

#endif

}  // namespace kotopa::platform
