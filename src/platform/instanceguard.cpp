#include "instanceguard.h"

#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kotopa::platform {

namespace fs = std::filesystem;

InstanceGuard::InstanceGuard(std::string_view name) {
#ifdef _WIN32
    Acquire(name, fs::path());
#else
    const fs::path folder = RuntimeFolder();
    if (!folder.empty()) Acquire(name, folder);
#endif
}

InstanceGuard::InstanceGuard(std::string_view name, const fs::path& folder) { Acquire(name, folder); }

#ifdef _WIN32

fs::path InstanceGuard::RuntimeFolder() { return fs::path(); }

void InstanceGuard::Acquire(std::string_view name, const fs::path&) {
    const std::string n(name);
    if (HANDLE probe = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, n.c_str())) {
        CloseHandle(probe);
        state_ = State::Taken;
        return;
    }
    handle_ = CreateMutexA(nullptr, FALSE, n.c_str());
    if (!handle_) {
        state_ = State::Unavailable;
    } else if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
        state_ = State::Taken;
    } else {
        state_ = State::Held;
    }
}

InstanceGuard::~InstanceGuard() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
}

#else

namespace {

// A folder that this user alone owns and can write to.
bool PrivateFolder(const fs::path& folder) {
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

fs::path InstanceGuard::RuntimeFolder() {
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg == '/') {
        std::error_code ec;
        if (fs::is_directory(xdg, ec)) return fs::path(xdg);
    }
    std::error_code ec;
    fs::path tmp = fs::temp_directory_path(ec);
    if (ec) tmp = "/tmp";
    const fs::path folder = tmp / ("kotopa-" + std::to_string(geteuid()));
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return fs::path();
    return PrivateFolder(folder) ? folder : fs::path();
}

void InstanceGuard::Acquire(std::string_view name, const fs::path& folder) {
    const fs::path file = folder / (std::string(name) + ".lock");
    fd_ = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        state_ = State::Unavailable;
        return;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        state_ = State::Held;
        return;
    }
    state_ = (errno == EWOULDBLOCK) ? State::Taken : State::Unavailable;
    close(fd_);
    fd_ = -1;
}

InstanceGuard::~InstanceGuard() {
    if (fd_ >= 0) close(fd_);  // closing the last descriptor releases the lock
}

#endif

}  // namespace kotopa::platform
