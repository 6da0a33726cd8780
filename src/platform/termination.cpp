#include "termination.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#endif

namespace kotopa::platform {

#ifndef _WIN32
namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int g_pipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

TerminationWatcher::TerminationWatcher(std::function<void()> onRequest, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) return;
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char buf[16];
        [[maybe_unused]] const ssize_t n = ::read(g_pipe[0], buf, sizeof buf);
        if (onRequest_) onRequest_();
    });
    struct sigaction sa {};
    sa.sa_handler = OnTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int s : kSignals) ::sigaction(s, &sa, nullptr);
}

TerminationWatcher::~TerminationWatcher() {
    for (const int s : kSignals) ::signal(s, SIG_DFL);
    delete notifier_;
    notifier_ = nullptr;
    for (int& fd : g_pipe) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}
#else
// Windows ends a session through the window messages: Qt closes the windows as soon as it is
// asked whether the session may end (WM_QUERYENDSESSION), before Windows may end the process.
TerminationWatcher::TerminationWatcher(std::function<void()> onRequest, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)) {}
TerminationWatcher::~TerminationWatcher() = default;
#endif

}  // namespace kotopa::platform
