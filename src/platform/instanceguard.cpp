#include "instanceguard.h"

#include <string>

#ifdef _WIN32
#include <windows.h>
// These need windows.h before them.
#include <aclapi.h>
#include <sddl.h>

#include <vector>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#endif

namespace kotopa::platform {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

// The information of class c about this process's token (a TOKEN_USER, a TOKEN_OWNER), or
// nothing.
std::vector<unsigned char> TokenInfo(TOKEN_INFORMATION_CLASS c) {
    std::vector<unsigned char> info;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return info;
    DWORD size = 0;
    GetTokenInformation(token, c, nullptr, 0, &size);
    info.resize(size);
    if (size == 0 || !GetTokenInformation(token, c, info.data(), size, &size)) info.clear();
    CloseHandle(token);
    return info;
}

// The user's SID as text (S-1-5-21-...), or empty.
std::string UserSid() {
    const auto info = TokenInfo(TokenUser);
    if (info.empty()) return {};
    char* text = nullptr;
    if (!ConvertSidToStringSidA(reinterpret_cast<const TOKEN_USER*>(info.data())->User.Sid,
                                &text)) {
        return {};
    }
    std::string sid(text);
    LocalFree(text);
    return sid;
}

// Whether the object behind handle belongs to this process's user: its owner is the owner
// this process gives the objects it creates.
bool OwnedByThisUser(HANDLE handle) {
    const auto owner = TokenInfo(TokenOwner);
    if (owner.empty()) return false;
    PSID objectOwner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &objectOwner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool same =
        EqualSid(objectOwner, reinterpret_cast<const TOKEN_OWNER*>(owner.data())->Owner);
    LocalFree(descriptor);
    return same;
}

}  // namespace

InstanceGuard::InstanceGuard(std::string_view name) {
    // In the global namespace, so that the user's copies in two sessions (fast user
    // switching, a remote desktop) meet; the user's SID keeps other users' copies apart.
    const std::string sid = UserSid();
    if (sid.empty()) return;
    const std::string n = "Global\\" + std::string(name) + "-" + sid;
    if (HANDLE probe = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, n.c_str())) {
        state_ = OwnedByThisUser(probe) ? LockState::Taken : LockState::Unavailable;
        CloseHandle(probe);
        return;
    }
    // A mutex of that name exists but is closed to this user: not one of the user's copies.
    if (GetLastError() == ERROR_ACCESS_DENIED) return;
    handle_ = CreateMutexA(nullptr, FALSE, n.c_str());
    const DWORD error = GetLastError();
    if (!handle_) return;
    if (error == ERROR_ALREADY_EXISTS) {
        // Made between the probe and here.
        state_ = OwnedByThisUser(static_cast<HANDLE>(handle_)) ? LockState::Taken
                                                               : LockState::Unavailable;
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
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
namespace {

// The uid of the process that listens on the abstract address, or nothing when none does.
std::optional<uid_t> ListenerOf(const sockaddr_un& address, socklen_t length) {
    // Not blocking: a backlog that another user filled must not hold up the start.
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0) return std::nullopt;
    std::optional<uid_t> uid;
    // A full queue empties as the holder takes the probes; wait for it a second at most.
    int connected = -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        connected = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), length);
        if (connected == 0 || errno != EAGAIN) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (connected == 0) {
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::getsockopt(probe, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0) uid = peer.uid;
    }
    ::close(probe);
    return uid;
}

void DrainProbes(int listener, int wake) {
    pollfd fds[2] = {{listener, POLLIN, 0}, {wake, POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents != 0) return;
        if (fds[0].revents & POLLIN) {
            const int probe = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (probe >= 0) ::close(probe);
        } else if (fds[0].revents != 0) {
            return;
        }
    }
}

}  // namespace

InstanceGuard::~InstanceGuard() {
    if (drain_.joinable()) {
        const uint64_t one = 1;
        if (::write(wake_, &one, sizeof one) == sizeof one) {
            drain_.join();
        } else {
            drain_.detach();  // its poll ends when the descriptors close
        }
    }
    if (wake_ >= 0) ::close(wake_);
}

InstanceGuard::InstanceGuard(std::string_view name) {
    // An address in the abstract namespace: no file, no folder taken from the environment;
    // the kernel frees it with the last descriptor, when the process ends. It has no
    // permissions either, so the user id in the name keeps users apart, and a holder is
    // believed to be a copy of this user's only when it says so: the guard listens, and the
    // kernel tells a process that connects who the listener is.
    const std::string scoped = std::string(name) + "-" + std::to_string(::geteuid());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.empty() || scoped.size() + 1 > sizeof address.sun_path) return;
    std::memcpy(address.sun_path + 1, scoped.data(), scoped.size());
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) return;
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + scoped.size());
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
        ::listen(fd_, SOMAXCONN) == 0) {
        state_ = LockState::Held;
        wake_ = ::eventfd(0, EFD_CLOEXEC);
        if (wake_ >= 0) drain_ = std::thread(DrainProbes, fd_, wake_);
        return;
    }
    if (errno == EADDRINUSE && ListenerOf(address, length) == ::geteuid()) {
        state_ = LockState::Taken;
    }
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
