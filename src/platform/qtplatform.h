// The real implementations of the platform interfaces, on Qt and the operating system.
#pragma once

#include <random>

#include "platform.h"
#include "wavelist.h"

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
    void Beep(BeepKind kind) override;
    void Warning(std::string_view text) override;
    void Information(std::string_view text) override;
    bool Confirm(std::string_view text) override;
    void Plain(std::string_view text) override;
    std::optional<std::filesystem::path> OpenFile(const std::filesystem::path& folder,
                                                  const QString& filter) override;
    std::optional<std::filesystem::path> SaveFile(const QString& title,
                                                  const std::filesystem::path& proposed,
                                                  const QString& filter) override;
};

// QDesktopServices::openUrl on a local file.
class DesktopShell final : public Shell {
public:
    void Open(const std::filesystem::path& file) override;
};

// A Mersenne Twister seeded from the clock and the system's entropy source.
class SystemRandom final : public RandomSource {
public:
    void SeedFromClock() override;
    uint32_t Below(uint32_t n) override;

private:
    std::mt19937 engine_{std::random_device{}()};
};

// Qt Multimedia: one QSoundEffect per voice on the default audio output. Whether an
// output exists is asked once, when the device is made.
class QtSoundDevice final : public SoundDevice {
public:
    QtSoundDevice();
    bool IsOpen() const override { return open_; }
    std::unique_ptr<Voice> CreateVoice(const QUrl& wave) override;

private:
    bool open_ = false;
};

// Dialog text for a Shift_JIS message: LF CR (and lone CRs) become plain line breaks.
QString MessageText(std::string_view sjis);

}  // namespace kotopa::platform
