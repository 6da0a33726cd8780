// The sound output on Windows: waveOut on the default device, built into the program. A few
// short blocks circle between the mixer and the device; the thread wakes when the device
// hands one back. When the device cannot be opened or a block cannot be written (the device
// went away) it is closed and opened again a second later.
#include <windows.h>

// After windows.h, which it builds on.
#include <mmsystem.h>

#include <array>
#include <atomic>
#include <vector>

#include "audiobackend.h"
#include "mixer.h"

namespace kotopa::platform {
namespace {

// Four blocks of 10 ms.
constexpr DWORD kBlockFrames = kMixRate / 100;
constexpr int kBlocks = 4;
constexpr DWORD kRetryMs = 1000;

class WaveOutBackend final : public AudioBackend {
public:
    WaveOutBackend() : event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~WaveOutBackend() override {
        if (event_) CloseHandle(event_);
    }

    void Stop() noexcept override {
        stop_.store(true);
        if (event_) SetEvent(event_);
    }

    void Run(OutputFeed& feed) override {
        if (!event_) return;
        while (!stop_.load()) {
            HWAVEOUT out = nullptr;
            WAVEFORMATEX f{};
            f.wFormatTag = WAVE_FORMAT_PCM;
            f.nChannels = kMixChannels;
            f.nSamplesPerSec = kMixRate;
            f.wBitsPerSample = 16;
            f.nBlockAlign = static_cast<WORD>(f.nChannels * 2);
            f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
            if (waveOutOpen(&out, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(event_), 0,
                            CALLBACK_EVENT) != MMSYSERR_NOERROR) {
                WaitForSingleObject(event_, kRetryMs);
                continue;
            }
            Play(out, feed);
            waveOutReset(out);
            for (auto& h : headers_) {
                if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(out, &h, sizeof h);
            }
            waveOutClose(out);
            if (!stop_.load()) WaitForSingleObject(event_, kRetryMs);
        }
    }

private:
    void Play(HWAVEOUT out, OutputFeed& feed) {
        for (int i = 0; i < kBlocks; ++i) {
            blocks_[i].assign(kBlockFrames * kMixChannels, 0);
            WAVEHDR& h = headers_[i];
            h = WAVEHDR{};
            h.lpData = reinterpret_cast<LPSTR>(blocks_[i].data());
            h.dwBufferLength = kBlockFrames * kMixChannels * 2;
            if (waveOutPrepareHeader(out, &h, sizeof h) != MMSYSERR_NOERROR) return;
            h.dwFlags |= WHDR_DONE;  // ready to be filled
        }
        feed.Opened(true);
        while (!stop_.load()) {
            for (int i = 0; i < kBlocks; ++i) {
                WAVEHDR& h = headers_[i];
                if (!(h.dwFlags & WHDR_DONE)) continue;
                feed.Render(blocks_[i].data(), kBlockFrames);
                h.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
                if (waveOutWrite(out, &h, sizeof h) != MMSYSERR_NOERROR) {
                    feed.Opened(false);
                    return;
                }
            }
            WaitForSingleObject(event_, 100);
        }
        feed.Opened(false);
    }

    HANDLE event_;
    std::atomic<bool> stop_{false};
    std::array<std::vector<int16_t>, kBlocks> blocks_;
    std::array<WAVEHDR, kBlocks> headers_{};
};

}  // namespace
}  // namespace kotopa::platform

extern "C" kotopa::platform::AudioBackend* kotopa_sound_backend() {
    return new kotopa::platform::WaveOutBackend();
}
