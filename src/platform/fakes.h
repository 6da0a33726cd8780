// Stand-ins for the platform in tests and benchmarks: a clock that moves only when told,
// dialogs that answer from a script and write down what they were asked, a shell that
// records what it was to open and a sound device whose voices play until they are told to
// finish. The random source's stand-in is the tests' FakeRandom (tests/core).
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform.h"
#include "wavelist.h"

namespace kotopa::platform {

class FakeClock final : public Clock {
public:
    explicit FakeClock(uint32_t start = 1000) : now_(start) {}
    uint32_t Now() override { return now_; }
    QDateTime Local() override { return local; }
    void Advance(uint32_t ms) { now_ += ms; }  // wraps like the real counter
    void Set(uint32_t now) { now_ = now; }

    QDateTime local{QDate(2024, 5, 6), QTime(7, 8, 9)};

private:
    uint32_t now_;
};

class FakeDialogs final : public Dialogs {
public:
    enum class Kind { Beep, Warning, Information, Confirm, Plain, OpenFile, SaveFile };
    struct Asked {
        Kind kind;
        std::string text;     // Shift_JIS; for OpenFile the start folder, for SaveFile the
                              // proposed file (UTF-8)
        std::string buttons;  // "OK", "Yes No", or empty for beeps and the file dialogs
        BeepKind beep = BeepKind::Asterisk;  // for Beep
        QString filter;                      // for OpenFile and SaveFile
        QString title;                       // for SaveFile
    };

    // What was asked, beeps included, in order.
    std::vector<Asked> asked;
    // Answers for Confirm (missing answers are No), OpenFile and SaveFile (missing answers
    // cancel).
    std::deque<bool> confirmAnswers;
    std::deque<std::optional<std::filesystem::path>> openAnswers;
    std::deque<std::optional<std::filesystem::path>> saveAnswers;
    // Runs while a message is "shown", as a user acting during a modal dialog would.
    std::function<void()> duringMessage;

    void Beep(BeepKind kind) override;
    void Warning(std::string_view text) override;
    void Information(std::string_view text) override;
    bool Confirm(std::string_view text) override;
    void Plain(std::string_view text) override;
    std::optional<Path> OpenFile(const Path& folder, const QString& filter) override;
    std::optional<Path> SaveFile(const QString& title, const Path& proposed,
                                 const QString& filter) override;

    // The messages only (no beeps, no file dialogs).
    std::vector<Asked> Messages() const;
    void Clear() { asked.clear(); }

private:
    void Record(Kind kind, std::string_view text, const char* buttons);
};

// Records every file it is to open; answers as the desktop named by windows would, and
// fails to open when told to.
class FakeShell final : public Shell {
public:
    std::vector<std::filesystem::path> opened;
    bool windows = false;
    bool opens = true;
    bool Open(const std::filesystem::path& file) override {
        opened.push_back(file);
        return opens;
    }
    bool IsWindows() const override { return windows; }
};

class FakeSoundDevice final : public SoundDevice {
public:
    // open: there is a sound output.
    explicit FakeSoundDevice(bool open = true) : open_(open) {}
    bool IsOpen() const override { return open_ && (!onRequest_ || opens > 0); }
    bool Open() override {
        ++opens;
        return IsOpen();
    }
    std::unique_ptr<Voice> CreateVoice(const QUrl& wave) override;
    // From now on closed until Open(), like the program's own device.
    void OpenOnRequest() { onRequest_ = true; }
    int opens = 0;

    struct VoiceState {
        QUrl wave;
        bool playing = false;
        int starts = 0;
    };
    // One entry per voice ever created, in order; voices keep playing until Finish.
    std::vector<std::shared_ptr<VoiceState>> voices;
    int Starts() const;
    void FinishAll();

private:
    bool open_;
    bool onRequest_ = false;
};

}  // namespace kotopa::platform
