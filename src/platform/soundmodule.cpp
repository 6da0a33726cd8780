// The module kotopa_sound: the sound output on Qt Multimedia, one QSoundEffect per voice on
// the default audio output. QtSoundDevice (qtplatform.h) loads it and calls its entry
// kotopa_sound_device, whose new device it owns from then on.
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>

#include "wavelist.h"

namespace kotopa::platform {
namespace {

class EffectVoice final : public Voice {
public:
    explicit EffectVoice(const QUrl& wave) {
        effect_.setSource(wave);
        effect_.setLoopCount(1);
    }
    bool IsPlaying() const override {
        return effect_.isPlaying() || (started_ && effect_.status() == QSoundEffect::Loading);
    }
    void Restart() override {
        started_ = true;
        effect_.stop();
        effect_.play();
    }

private:
    QSoundEffect effect_;
    bool started_ = false;
};

// Whether an output exists is asked once, when the device is made.
class MultimediaDevice final : public SoundDevice {
public:
    bool IsOpen() const override { return open_; }
    std::unique_ptr<Voice> CreateVoice(const QUrl& wave) override {
        return std::make_unique<EffectVoice>(wave);
    }

private:
    bool open_ = !QMediaDevices::audioOutputs().isEmpty();
};

}  // namespace
}  // namespace kotopa::platform

extern "C" Q_DECL_EXPORT kotopa::platform::SoundDevice* kotopa_sound_device() {
    return new kotopa::platform::MultimediaDevice();
}
