// The system's requests to end the program (SIGTERM at shutdown or logout, SIGHUP when the
// terminal goes, SIGINT from Ctrl+C) turned into a call on the event loop, so the program
// can close its windows as the user would and store its settings on the way out.
#pragma once

#include <QObject>
#include <functional>

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
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kotopa::platform
