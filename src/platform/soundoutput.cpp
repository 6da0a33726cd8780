#include "soundoutput.h"

#include <QLibrary>

#include "sjistext.h"

namespace kotopa::platform {

SoundOutput::SoundOutput(std::filesystem::path module) : module_(std::move(module)) {}

SoundOutput::~SoundOutput() {
    if (backend_) {
        backend_->Stop();
        thread_.join();
    }
}

void SoundOutput::Open() {
    if (tried_) return;
    tried_ = true;
#ifdef KOTOPA_SOUND_BUILTIN
    backend_.reset(kotopa_sound_backend());
#else
    // The module stays loaded for the rest of the run: its code runs the output.
    QLibrary library(PathToQString(module_));
    using Create = AudioBackend* (*)();
    const auto create = reinterpret_cast<Create>(library.resolve(kSoundModuleEntry));
    if (create) backend_.reset(create());
#endif
    if (backend_) thread_ = std::thread([this] { backend_->Run(*this); });
}

const MixWave* SoundOutput::Keep(std::shared_ptr<const MixWave> wave) {
    waves_.push_back(std::move(wave));
    return waves_.back().get();
}

void SoundOutput::Render(int16_t* out, std::size_t frames) noexcept {
    queue_.Drain([this](const MixWave* wave) {
        mixer_.Start(wave);
        voices_.fetch_add(1, std::memory_order_release);
    });
    mixer_.Mix(out, frames);
    uint64_t sounding = 0;
    for (std::size_t i = 0; i < frames; ++i) sounding += (out[2 * i] | out[2 * i + 1]) != 0;
    if (sounding) sounding_.fetch_add(sounding, std::memory_order_release);
}

void SoundOutput::Opened(bool open) noexcept {
    // What was asked while there was no output is not played late, all at once.
    mixer_.Silence();
    queue_.Drain([](const MixWave*) {});
    open_.store(open, std::memory_order_release);
}

}  // namespace kotopa::platform
