// The system's requests to end the program turned into a call, so the program can close its
// windows as the user would and store its settings on the way out: on Linux SIGTERM at
// shutdown or logout, SIGHUP when the terminal goes and SIGINT from Ctrl+C, called on the
// event loop; on Windows the end of the session (WM_ENDSESSION), called before the message
// returns, since Windows may end the process right after it.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QAbstractNativeEventFilter;
class QSocketNotifier;

namespace kotopa::platform {

class TerminationWatcher : public QObject {
public:
    // onRequest runs on the event loop, once per request. One watcher per process.
    explicit TerminationWatcher(std::function<void()> onRequest, QObject* parent = nullptr);
    ~TerminationWatcher() override;
    TerminationWatcher(const TerminationWatcher&) = delete;
    TerminationWatcher& operator=(const TerminationWatcher&) = delete;

private:
    std::function<void()> onRequest_;
#ifdef _WIN32
    std::unique_ptr<QAbstractNativeEventFilter> filter_;
#else
    QSocketNotifier* notifier_ = nullptr;
#endif
};

}  // namespace kotopa::platform
