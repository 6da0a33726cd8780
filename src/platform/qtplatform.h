// The real implementations of the platform interfaces, on Qt and the operating system.
#pragma once

#include <filesystem>
#include <functional>
#include <random>

#include "platform.h"

namespace kotopa::platform {

// Milliseconds of the system's monotonic clock, truncated to 32 bits like GetTickCount.
class SystemClock final : public Clock {
public:
    uint32_t Now() override;
    QDateTime Local() override { return QDateTime::currentDateTime(); }
};

// QMessageBox and QFileDialog; the beeps are the desktop's bell (MessageBeep on Windows).
class QtDialogs final : public Dialogs {
public:
    // Runs before every message box; the program gives itself its icon there when a message
    // comes before the main window has been drawn.
    std::function<void()> beforeMessage;

    void Beep(BeepKind kind) override;
    void Warning(std::string_view text) override;
    void Information(std::string_view text) override;
    bool Confirm(std::string_view text) override;
    void Plain(std::string_view text) override;
    std::optional<Path> OpenFile(const Path& folder, const QString& filter) override;
    std::optional<Path> SaveFile(const QString& title, const Path& proposed,
                                 const QString& filter) override;
};

// QDesktopServices::openUrl on a local file.
class DesktopShell final : public Shell {
public:
    bool Open(const std::filesystem::path& file) override;
    bool IsWindows() const override;
};

// A Mersenne Twister seeded from the clock and the system's entropy source.
class SystemRandom final : public RandomSource {
public:
    void SeedFromClock() override;
    uint32_t Below(uint32_t n) override;

private:
    std::mt19937 engine_{std::random_device{}()};
};

// Dialog text for a Shift_JIS message: LF CR (and lone CRs) become plain line breaks.
QString MessageText(std::string_view sjis);

// Gives the system back the pages of the heap that the start-up has freed (reading the key
// table and the Act, building the windows); where the C library cannot, nothing happens.
void ReturnFreedMemory();

}  // namespace kotopa::platform
