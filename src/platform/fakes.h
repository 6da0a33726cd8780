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

// Records what is kept and played; plays count only while it is open.
class FakeSoundDevice final : public SoundDevice {
public:
    // open: there is a sound output.
    explicit FakeSoundDevice(bool open = true) : open_(open) {}
    bool IsOpen() const override { return open_ && (!onRequest_ || opens > 0); }
    void Open() override { ++opens; }
    const MixWave* Keep(std::shared_ptr<const MixWave> wave) override {
        kept.push_back(std::move(wave));
        return kept.back().get();
    }
    void Play(const MixWave* wave) noexcept override {
        if (IsOpen()) plays.push_back(wave);
    }
    // From now on closed until Open(), like the program's own device.
    void OpenOnRequest() { onRequest_ = true; }
    int Starts() const { return static_cast<int>(plays.size()); }

    int opens = 0;
    std::vector<std::shared_ptr<const MixWave>> kept;
    std::vector<const MixWave*> plays;

private:
    bool open_;
    bool onRequest_ = false;
};

}  // namespace kotopa::platform
