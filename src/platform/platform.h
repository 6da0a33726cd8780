// The program's effects on the outside world, each behind a small interface: the
// millisecond tick, message dialogs with their beeps, the file-open dialog, the desktop
// shell's "open", and the core's random source. The windows take them as Services, so the
// tests can put fakes in their place (fakes.h, and the tests' FakeRandom).
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "randomsource.h"

namespace kotopa::platform {

using Path = std::filesystem::path;

// Now(): unsigned 32-bit milliseconds of a counter that only moves forward and wraps after
// about 49.7 days; durations are differences taken in uint32_t, so they survive a wrap.
// Local(): the local date and time, for time stamps the user reads.
class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t Now() = 0;
    virtual QDateTime Local() = 0;
};

// The system sounds that come before a message or mark an event.
enum class BeepKind {
    Hand,      // an error or a refusal
    Question,  // a yes/no question
    Asterisk,  // information
};

// Modal message dialogs and the file-open and file-save dialogs. Message texts are Shift_JIS; the
// bytes LF CR (0A 0D) break a line. Each message kind sounds its beep before it opens.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void Beep(BeepKind kind) = 0;
    // One OK button, after the hand beep.
    virtual void Warning(std::string_view text) = 0;
    // One OK button, after the asterisk beep.
    virtual void Information(std::string_view text) = 0;
    // Yes and No after the question beep; true only for Yes (closing the dialog is No).
    virtual bool Confirm(std::string_view text) = 0;
    // A plain message box with one OK button and no beep.
    virtual void Plain(std::string_view text) = 0;
    // The file chosen in an open dialog that starts in folder, or nothing on cancel.
    // filter is a Qt name filter such as "Scripts (*.ktp)".
    virtual std::optional<Path> OpenFile(const Path& folder, const QString& filter) = 0;
    // The file chosen in a save dialog with this title that proposes the file proposed (its
    // folder and name), or nothing on cancel. A new name is accepted; an existing file is
    // chosen only after the user agreed to replace it.
    virtual std::optional<Path> SaveFile(const QString& title, const Path& proposed,
                                         const QString& filter) = 0;
};

// The desktop's "open" for a file: the file's default application shows it. What that
// application then does is the desktop's business; false only when the desktop could not
// even hand the file over (no application, no opener installed).
class Shell {
public:
    virtual ~Shell() = default;
    virtual bool Open(const std::filesystem::path& file) = 0;
    // True for the Windows shell, which opens the .chm help and shows a Shift_JIS text as
    // it is; other desktops get the help as HTML and the play log in a viewer of our own.
    virtual bool IsWindows() const = 0;
};

class SoundDevice;  // wavelist.h

// Everything a window needs of the platform, handed down from main() or from a test.
struct Services {
    Clock& clock;
    Dialogs& dialogs;
    Shell& shell;
    RandomSource& random;
    SoundDevice& sound;
};

}  // namespace kotopa::platform
