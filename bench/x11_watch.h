// The start-up measurement's view of a private X server: a display of its own (Xvfb) and
// the moment a process's first top-level window is mapped. Kept apart from the Qt code,
// whose headers must not meet Xlib's macros.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace xwatch {

// An Xvfb started on a free display number, ended with the object.
class PrivateServer {
public:
    PrivateServer();
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;
    // ":n", or empty when the server could not be started.
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = 0;
    std::string display_;
};

// Watches the root window of a display for windows being mapped.
class MapWatcher {
public:
    explicit MapWatcher(const std::string& display);
    ~MapWatcher();
    MapWatcher(const MapWatcher&) = delete;
    MapWatcher& operator=(const MapWatcher&) = delete;
    bool Ok() const { return dpy_ != nullptr; }
    // CLOCK_MONOTONIC nanoseconds at which a top-level window of process pid was mapped,
    // or -1 when none was within timeoutMs.
    int64_t WaitForMap(pid_t pid, int timeoutMs);

private:
    void* dpy_ = nullptr;
};

int64_t NowNs();

}  // namespace xwatch
